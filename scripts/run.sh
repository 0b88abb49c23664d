#!/usr/bin/env bash
# Builds the program and starts it under Wine. Without a display it starts a virtual one, waits for the
# main window and saves a screenshot as build/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target corvalin_timer

source scripts/wine-env.sh
exe="build/windows/Corvalin Timer Software.exe"
if [ -n "${DISPLAY:-}" ] && [ "${CORVALIN_HEADLESS:-}" != "1" ]; then
    # A real display: the user's own session runs the program, in a Wine prefix of its own.
    CORVALIN_USE_DISPLAY=1 corvalin_wine_up run
    trap corvalin_wine_down EXIT
    wine "$exe"
    exit 0
fi

corvalin_wine_up run
trap corvalin_wine_down EXIT
# Wine's virtual desktop draws the window frame as Windows does (there is no window manager here).
wine explorer /desktop=Corvalin,700x440 "$exe" >/dev/null 2>&1 &
program=$!
for _ in $(seq 1 300); do
    if xdotool search --name "^Corvalin - Wine desktop$" >/dev/null 2>&1; then break; fi
    sleep 0.2
done
sleep 2
desktop="$(xdotool search --name "^Corvalin - Wine desktop$" | head -n 1)"
if [ -n "$desktop" ]; then
    xwd -id "$desktop" -silent | convert xwd:- build/screenshot.png
else
    xwd -root -silent | convert xwd:- build/screenshot.png
fi
echo "screenshot: build/screenshot.png"
kill "$program" 2>/dev/null || true
