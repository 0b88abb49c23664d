#!/usr/bin/env bash
# Starts the real program once on a screen of 144 dots per inch: Wine's LogPixels at 144 in a prefix of
# this test's own (made once from the shared test prefix, then kept under build/wine/dpi144), so the
# prefix the other tests share keeps 96. Usage: dpi144.sh <e2e_tests.exe>
set -euo pipefail
tests_exe="$1"
source "$(dirname "$0")/../../scripts/wine-env.sh"
trap corvalin_wine_down EXIT
corvalin_wine_up dpi144 test $'[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:00000090'
out="$(CORVALIN_EXPECT_DPI=144 bash "$corvalin_root/scripts/wine-run.sh" "$tests_exe" \
    --gtest_filter=EndToEnd.MainWindowOpensLaidOutAtTheScreensDpi)" && rc=0 || rc=$?
echo "$out"
# A filter that matches nothing passes too: the test must have run.
grep -q '^\[  PASSED  \] 1 test' <<<"$out" || exit 1
exit "$rc"
