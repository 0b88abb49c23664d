#!/usr/bin/env bash
# Builds everything and runs every test: native (sanitizers), fuzz (a fixed number of runs) and the
# Windows tests under Wine, in a Wine prefix and an X display of this run's own.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs="$(nproc)"
echo "== native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

echo "== fuzz (short run)"
cmake --preset fuzz >/dev/null
# The fuzzers and the rooms they link only: the rest of the tree is built and tested natively above.
cmake --build --preset fuzz -j "$jobs" --target fuzzers
for fuzzer in build/fuzz/tests/fuzz/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    corpus="tests/fuzz/corpus/$(basename "$fuzzer")"
    mkdir -p "build/fuzz/corpus/$(basename "$fuzzer")"
    "$fuzzer" -runs=20000 -max_len=4096 -timeout=10 -malloc_limit_mb=64 "build/fuzz/corpus/$(basename "$fuzzer")" \
        $( [ -d "$corpus" ] && echo "$corpus" ) 2>&1 | tail -n 2
done

echo "== windows build"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"

# The release check's second build keeps the processors busy while the Windows tests mostly wait on
# Wine and the X server: the two run side by side, and the check's report follows the tests'.
echo "== release artefacts (stripped, and the same bytes from a second build), beside the Windows tests"
release_log="build/release-check.log"
bash scripts/release-check.sh >"$release_log" 2>&1 &
release_pid=$!

echo "== windows tests under Wine"
source scripts/wine-env.sh
trap 'kill "$release_pid" 2>/dev/null || true; corvalin_wine_down' EXIT
corvalin_wine_up test
tests_rc=0
ctest --preset windows || tests_rc=$?

echo "== release artefacts"
release_rc=0
wait "$release_pid" || release_rc=$?
cat "$release_log"
[ "$tests_rc" -eq 0 ] && [ "$release_rc" -eq 0 ]
