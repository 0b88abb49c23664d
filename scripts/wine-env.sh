# Sourced by the run and test scripts: a Wine prefix, an X display and a sound device of the run's own.
#   corvalin_wine_up <name> [seed] [reg]   starts Xvfb (when no display is usable) and a persistent
#                             wineserver; a new prefix starts as a copy of build/wine/<seed>'s when that
#                             one is set up (a copy takes seconds, wineboot half a minute), and takes the
#                             registry lines [reg] besides the run's own settings
#   corvalin_wine_down        stops what corvalin_wine_up started
# The prefix lives in build/wine/<name>; HOME points beside it so that ALSA reads our own .asoundrc,
# whose default device writes everything wave-out plays into $CORVALIN_SOUND_CAPTURE.

corvalin_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

corvalin_wine_up() {
    local name="${1:-test}"
    local base="$corvalin_root/build/wine/$name"
    mkdir -p "$base/home"
    export WINEPREFIX="$base/prefix"
    export WINEARCH=win32
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
    export HOME="$base/home"
    export CORVALIN_SOUND_CAPTURE="$base/sound-capture.raw"
    cat > "$HOME/.asoundrc" <<ASOUND
pcm.!default {
    type file
    slave.pcm "null"
    file "$CORVALIN_SOUND_CAPTURE"
    format "raw"
}
ASOUND
    # A Wine session left from an earlier run may still be bound to a display that is gone.
    wineserver -k >/dev/null 2>&1 || true
    CORVALIN_XVFB_PID=""
    if [ "${CORVALIN_USE_DISPLAY:-}" != "1" ] || [ -z "${DISPLAY:-}" ]; then
        # The server picks a free display itself and writes its number once it listens: two runs that
        # start at once (the end-to-end tests beside the others, or two checkouts) never share one.
        local numberFile="$base/display"
        rm -f "$numberFile"
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
        CORVALIN_XVFB_PID=$!
        local i
        for i in $(seq 1 100); do [ -s "$numberFile" ] && break; sleep 0.1; done
        export DISPLAY=":$(tr -dc '0-9' < "$numberFile")"
    fi
    if [ ! -f "$base/configured-4" ]; then
        local seed="$corvalin_root/build/wine/${2:-}"
        if [ ! -e "$WINEPREFIX" ] && [ -n "${2:-}" ] && ls "$seed"/configured-* >/dev/null 2>&1; then
            # Wine saves a registry file by writing a new one and renaming it: a copy taken while the
            # seed's server runs is whole.
            cp -a "$seed/prefix" "$WINEPREFIX"
        fi
        [ -f "$WINEPREFIX/system.reg" ] || { wineboot -i >/dev/null 2>&1 || true; wineserver -w; }
        # Sound through ALSA (our file device), no crash dialogs that would wait for a click, and
        # windows not handed to an X window manager: there is none on the virtual display, and Wine
        # would wait two seconds for one at every window it destroys. One import: each Wine start costs.
        printf '%s\n' 'REGEDIT4' '' \
            '[HKEY_CURRENT_USER\Software\Wine\Drivers]' '"Audio"="alsa"' '' \
            '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' \
            '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' "${3:-}" > "$base/settings.reg"
        local reg="Z:$base/settings.reg"
        wine regedit /S "${reg//\//\\}" >/dev/null 2>&1 || true
        touch "$base/configured-4"
    fi
    # Wine's own fonts where every Wine build finds them (Marlett draws the caption buttons).
    if [ -d /usr/share/wine/fonts ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
        cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    # One wineserver for the whole run: every Wine start after the first takes a fraction of a second.
    # The server that set the prefix up must be gone first: a running one refuses to become persistent.
    wineserver -w || true
    wineserver -p || true
    export CORVALIN_WINE_UP=1
}

corvalin_wine_down() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -n "${CORVALIN_XVFB_PID:-}" ]; then
        kill "$CORVALIN_XVFB_PID" >/dev/null 2>&1 || true
        wait "$CORVALIN_XVFB_PID" 2>/dev/null || true
    fi
}
