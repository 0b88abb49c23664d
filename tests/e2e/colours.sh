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
corvalin_wine_up colours
while read -r name value; do
    wine reg add 'HKCU\Control Panel\Colors' /v "$name" /d "$value" /f >/dev/null 2>&1
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
# The session reads the colours when it starts: a new wineserver for a new session.
wineserver -k >/dev/null 2>&1 || true
wineserver -w || true
wineserver -p || true
out="$(CORVALIN_EXPECT_WHITE_ON_BLACK=1 bash "$corvalin_root/scripts/wine-run.sh" "$tests_exe" \
    --gtest_filter=EndToEnd.MainWindowTextsStandOutInTheUsersColours)" && rc=0 || rc=$?
echo "$out"
# A filter that matches nothing passes too: the test must have run.
grep -q '^\[  PASSED  \] 1 test' <<<"$out" || exit 1
exit "$rc"
