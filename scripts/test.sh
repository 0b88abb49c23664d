#!/usr/bin/env bash
# Builds everything and runs every test: native (sanitizers), fuzz (a fixed number of runs), the
# release check and the Windows tests under Wine, in a Wine prefix and an X display of this run's own.
# The Windows tests mostly wait on Wine and the X server, so the processor-bound rest (native build and
# tests, fuzz run, the release check's second build) runs beside them; its report follows theirs.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
source scripts/wine-env.sh
jobs="$(nproc)"
mkdir -p build

native_and_release() {
    echo "== native build and tests"
    cmake --preset native >/dev/null
    cmake --build --preset native -j "$jobs"
    ctest --preset native -j "$jobs"

    echo "== fuzz (short run)"
    cmake --preset fuzz >/dev/null
    # The fuzzers and the rooms they link only: the rest of the tree is built and tested natively.
    cmake --build --preset fuzz -j "$jobs" --target fuzzers
    local fuzzer corpus
    for fuzzer in build/fuzz/tests/fuzz/fuzz_*; do
        [ -x "$fuzzer" ] || continue
        corpus="tests/fuzz/corpus/$(basename "$fuzzer")"
        mkdir -p "build/fuzz/corpus/$(basename "$fuzzer")"
        "$fuzzer" -runs=20000 -max_len=4096 -timeout=10 -malloc_limit_mb=64 "build/fuzz/corpus/$(basename "$fuzzer")" \
            $( [ -d "$corpus" ] && echo "$corpus" ) 2>&1 | tail -n 2
    done

    echo "== release artefacts (stripped, and the same bytes from a second build)"
    bash scripts/release-check.sh
}

# Whatever runs in the background ends with the run, whichever way it ends.
trap 'kill $(jobs -p) 2>/dev/null || true; corvalin_wine_down' EXIT

# The test prefix is made (the first time: wineboot, half a minute) while the program builds.
(corvalin_wine_up test && corvalin_wine_down) >build/wine-prefix.log 2>&1 &
prefix_pid=$!

echo "== windows build"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
wait "$prefix_pid" || { cat build/wine-prefix.log; exit 1; }

native_log="build/native-and-release.log"
native_and_release >"$native_log" 2>&1 &
native_pid=$!

echo "== windows tests under Wine"
corvalin_wine_up test
tests_rc=0
ctest --preset windows || tests_rc=$?

native_rc=0
wait "$native_pid" || native_rc=$?
cat "$native_log"
[ "$native_rc" -eq 0 ] || echo "FAILED: native tests, fuzz run or release check"
[ "$tests_rc" -eq 0 ] && [ "$native_rc" -eq 0 ]
