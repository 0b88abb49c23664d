#!/usr/bin/env bash
# Starts the real program on a screen of 144 dots per inch in a white-on-black colour scheme, in a Wine
# prefix of this test's own (made once from the shared test prefix, then kept under
# build/wine/scaled-dark), so the prefix the other tests share keeps 96 dots per inch and the standard
# scheme. The settings go in with the prefix's own import, before the persistent wineserver whose
# session reads them starts. Wine never reports high-contrast mode, so this is the scheme without the
# flag. Usage: scaled_dark.sh <e2e_tests.exe>
set -euo pipefail
tests_exe="$1"
source "$(dirname "$0")/../../scripts/wine-env.sh"
trap corvalin_wine_down EXIT
settings=$'[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:00000090\n\n'
settings+=$'[HKEY_CURRENT_USER\\Control Panel\\Colors]'
while read -r name value; do
    settings+=$'\n'"\"$name\"=\"$value\""
done <<'COLOURS'
Window 0 0 0
WindowText 255 255 255
ButtonFace 0 0 0
ButtonText 255 255 255
GrayText 63 242 63
Hilight 26 235 255
HilightText 0 0 0
Background 0 0 0
COLOURS
corvalin_wine_up scaled-dark test "$settings"
out="$(CORVALIN_EXPECT_DPI=144 CORVALIN_EXPECT_WHITE_ON_BLACK=1 bash "$corvalin_root/scripts/wine-run.sh" \
    "$tests_exe" \
    --gtest_filter='EndToEnd.MainWindowOpensLaidOutAtTheScreensDpi:EndToEnd.MainWindowTextsStandOutInTheUsersColours')" &&
    rc=0 || rc=$?
echo "$out"
# A filter that matches nothing passes too: both tests must have run.
grep -q '^\[  PASSED  \] 2 tests' <<<"$out" || exit 1
exit "$rc"
