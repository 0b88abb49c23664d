#!/usr/bin/env bash
# Starts the real program once in a white-on-black colour scheme: the scheme's colours in the registry
# of a Wine prefix of this test's own (made once, then kept under build/wine/colours), read by a
# wineserver started after they were written, so the prefix the other tests share keeps the standard
# scheme. Wine never reports high-contrast mode, so this is the scheme without the flag.
# Usage: colours.sh <e2e_tests.exe>
set -euo pipefail
tests_exe="$1"
source "$(dirname "$0")/../../scripts/wine-env.sh"
trap corvalin_wine_down EXIT
# Made once from the shared test prefix, with the scheme in the same import as the run's own settings;
# the persistent wineserver that corvalin_wine_up starts afterwards opens a session that reads them.
colours=$'[HKEY_CURRENT_USER\\Control Panel\\Colors]'
while read -r name value; do
    colours+=$'\n'"\"$name\"=\"$value\""
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
corvalin_wine_up colours test "$colours"
out="$(CORVALIN_EXPECT_WHITE_ON_BLACK=1 bash "$corvalin_root/scripts/wine-run.sh" "$tests_exe" \
    --gtest_filter=EndToEnd.MainWindowTextsStandOutInTheUsersColours)" && rc=0 || rc=$?
echo "$out"
# A filter that matches nothing passes too: the test must have run.
grep -q '^\[  PASSED  \] 1 test' <<<"$out" || exit 1
exit "$rc"
