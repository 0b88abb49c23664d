#!/usr/bin/env bash
# Builds everything and runs every test: native (sanitizers), fuzz (a fixed number of runs), the
# release check and the Windows tests under Wine, in a Wine prefix and an X display of this run's own.
# The Windows build goes one target after another, and each one's tests start under Wine as soon as it
# is built: they mostly wait on Wine and the X server, the end-to-end ones beside the others. The
# processor-bound rest runs beside them at a lower priority, so that it takes only what they and the
# build leave: the native build and tests and the fuzz run from the start, the release check once the
# release files are built. Their reports follow the Windows tests'.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
source scripts/wine-env.sh
jobs="$(nproc)"
mkdir -p build

native() {
    echo "== native build and tests (from ${SECONDS} s)"
    cmake --preset native >/dev/null
    cmake --build --preset native -j "$jobs"
    ctest --preset native -j "$jobs"
}

# Beside the native build, not after it: each fuzzer runs on one core, and a run that ends with it would
# leave the other idle.
fuzz() {
    echo "== fuzz (short run, from ${SECONDS} s)"
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
}

# The Windows build, one target after another, each test label's tests starting once its target is built:
# the program (its import audit), the release files (the installer's tests, "rest", and the release
# check's second build, which then starts early and takes only what the rest leaves of the processor),
# the long app tests, then the end-to-end tests and the short rooms' tests, which run beside the app
# tests in a Wine prefix and an X display of their own.
steps=(audit:corvalin_timer rest:release app:windows_app_tests e2e:e2e_tests ui:windows_ui_tests
       tray:windows_tray_tests sound:windows_sound_tests platform:windows_platform_tests)
labels="^(audit|ui|sound|tray|platform|app|e2e)\$"
ready=build/windows-ready

windows_build() {
    local step
    for step in "${steps[@]}"; do
        cmake --build --preset windows -j "$jobs" --target "${step#*:}" || { touch "$ready/failed"; return 1; }
        echo "-- ${step#*:} built (${SECONDS} s)"
        touch "$ready/${step%%:*}"
        # The long app tests and the end-to-end tests have what they need: the short rooms' executables
        # then share the processor evenly with the native build and the fuzz run, which end a run last
        # otherwise.
        if [ "${step%%:*}" = e2e ]; then renice -n 19 -p "$BASHPID" >/dev/null; fi
    done
}

# Whatever runs in the background ends with the run, whichever way it ends.
trap 'kill $(jobs -p) 2>/dev/null || true; corvalin_wine_down' EXIT

# The test prefix is made (the first time: wineboot, half a minute) while the program builds.
(corvalin_wine_up test && corvalin_wine_down) >build/wine-prefix.log 2>&1 &
prefix_pid=$!

echo "== windows build (build/windows-build.log), each room's tests under Wine once its executable is built"
cmake --preset windows >/dev/null
rm -rf "$ready" && mkdir -p "$ready"
build_log=build/windows-build.log
native_log=build/native.log
release_log=build/release-check.log
fuzz_log=build/fuzz.log
(renice -n 19 -p "$BASHPID" >/dev/null && native) >"$native_log" 2>&1 &
native_pid=$!
(renice -n 19 -p "$BASHPID" >/dev/null && fuzz) >"$fuzz_log" 2>&1 &
fuzz_pid=$!
(renice -n 10 -p "$BASHPID" >/dev/null && windows_build) >"$build_log" 2>&1 &
build_pid=$!
(
    renice -n 19 -p "$BASHPID" >/dev/null
    until [ -e "$ready/rest" ] || [ -e "$ready/failed" ]; do sleep 0.5; done
    [ -e "$ready/rest" ] || exit 1
    echo "== release artefacts (stripped, and the same bytes from a second build; from ${SECONDS} s)"
    bash scripts/release-check.sh
) >"$release_log" 2>&1 &
release_pid=$!
wait "$prefix_pid" || { cat build/wine-prefix.log; exit 1; }

# The end-to-end tests drive the real program from outside, in a Wine prefix and an X display of their
# own (a copy of the test prefix), beside the in-process tests: both mostly wait on Wine and X. The short
# rooms' tests follow them there, each once its executable is built, while the long app tests run on.
side=(e2e ui tray sound platform)
e2e_log=build/e2e-tests.log
(
    corvalin_wine_up e2e test
    trap corvalin_wine_down EXIT
    side_rc=0
    for label in "${side[@]}"; do
        until [ -e "$ready/$label" ] || [ -e "$ready/failed" ]; do sleep 0.5; done
        [ -e "$ready/$label" ] || exit 1
        echo "== windows tests: $label, beside the others (from ${SECONDS} s)"
        ctest --preset windows -L "^$label\$" || side_rc=1
    done
    exit "$side_rc"
) >"$e2e_log" 2>&1 &
e2e_pid=$!

corvalin_wine_up test
tests_rc=0
# The long app tests go before the installer's, which need the release files.
for label in audit app rest; do
    until [ -e "$ready/$label" ] || [ -e "$ready/failed" ]; do sleep 0.5; done
    if [ ! -e "$ready/$label" ]; then
        cat "$build_log"
        echo "FAILED: windows build"
        exit 1
    fi
    echo "== windows tests: $label (from ${SECONDS} s)"
    if [ "$label" = rest ]; then
        ctest --preset windows -LE "$labels" || tests_rc=$?
    else
        ctest --preset windows -L "^$label\$" || tests_rc=$?
    fi
done
corvalin_wine_down
wait "$build_pid" || tests_rc=1
wait "$e2e_pid" || tests_rc=1
cat "$e2e_log"
grep '^-- ' "$build_log"

native_rc=0
wait "$native_pid" || native_rc=$?
wait "$fuzz_pid" || native_rc=1
cat "$native_log" "$fuzz_log"
[ "$native_rc" -eq 0 ] || echo "FAILED: native tests or fuzz run"
release_rc=0
wait "$release_pid" || release_rc=$?
cat "$release_log"
[ "$release_rc" -eq 0 ] || echo "FAILED: release check"
echo "== done (${SECONDS} s)"
[ "$tests_rc" -eq 0 ] && [ "$native_rc" -eq 0 ] && [ "$release_rc" -eq 0 ]
