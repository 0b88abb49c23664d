#!/usr/bin/env bash
# Installs Corvalin Timer Software silently under Wine, starts the installed program, uninstalls it
# silently, and checks what each step leaves behind. Usage: installer_test.sh <setup.exe>
# Runs in the Wine prefix of the caller (WINEPREFIX, DISPLAY: source scripts/wine-env.sh and
# corvalin_wine_up first); exits 77 (skipped) without one.
set -euo pipefail

installer="$1"
resources="$(cd "$(dirname "$0")" && pwd)"
product="Corvalin Timer Software"
exe="$product.exe"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
machine_run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKCU\Software\VB and VBA Program Settings\Vendrel\Corvalin Timer Software'
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product"

if [ -z "${WINEPREFIX:-}" ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "no Wine prefix: source scripts/wine-env.sh and run corvalin_wine_up <name> first"
    exit 77
fi

failures=0
check() {  # check <description> <command...>
    local what="$1"
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}
absent() { ! "$@"; }
program_window_shown() { xdotool search --all --pid "$program_pid" --name "^$product\$" >/dev/null 2>&1; }
has_value() { wine reg query "$1" /v "$2" >/dev/null 2>&1; }
has_key() { wine reg query "$1" >/dev/null 2>&1; }
unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
folder_of() { unix_path "$(wine cmd /c "echo %$1%" 2>/dev/null | tr -d '\r')"; }
wait_for() {  # wait_for <seconds> <command...>: true as soon as the command succeeds
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

install_dir="$(folder_of ProgramFiles)/$product"
shortcut="$(folder_of ProgramData)/Microsoft/Windows/Start Menu/Programs/$product.lnk"
install_dir_windows="$(wine cmd /c 'echo %ProgramFiles%' 2>/dev/null | tr -d '\r')\\$product"

program_pid=""
cleanup() {
    if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
    wine reg delete "$machine_run_key" /v "Unrelated Program.exe" /f >/dev/null 2>&1 || true
    wine reg delete "$machine_run_key" /v "$exe" /f >/dev/null 2>&1 || true
    wine reg delete "$run_key" /v "$exe" /f >/dev/null 2>&1 || true
    wine reg delete "$settings_key" /v "InstallerTestMarker" /f >/dev/null 2>&1 || true
}
trap cleanup EXIT
# What an earlier, interrupted run may have left.
rm -rf "$install_dir" "$shortcut"

echo "== silent install"
wine "$installer" /S
check "program installed" test -f "$install_dir/$exe"
check "alarm.wav installed, unchanged" cmp -s "$install_dir/alarm.wav" "$resources/alarm.wav"
check "HAND-M.CUR installed, unchanged" cmp -s "$install_dir/HAND-M.CUR" "$resources/HAND-M.CUR"
check "uninstaller installed" test -f "$install_dir/Uninstall.exe"
check "Start-menu shortcut" test -f "$shortcut"
check "Add/Remove Programs entry" has_key "$uninstall_key"

echo "== the installed program starts"
(cd "$install_dir" && exec wine "$exe") >/dev/null 2>&1 &
program_pid=$!
if command -v xdotool >/dev/null; then
    check "its main window opens" wait_for 20 program_window_shown
fi
check "it keeps running" kill -0 "$program_pid"
kill "$program_pid" 2>/dev/null || true
wait "$program_pid" 2>/dev/null || true
program_pid=""

echo "== silent uninstall"
# Start-up entries as the program's check box makes them, one the program does not own, and a
# setting of the user's.
wine reg add "$machine_run_key" /v "$exe" /d "$install_dir_windows\\$exe" /f >/dev/null
wine reg add "$run_key" /v "$exe" /d "$install_dir_windows\\$exe" /f >/dev/null
wine reg add "$machine_run_key" /v "Unrelated Program.exe" /d 'C:\unrelated.exe' /f >/dev/null
wine reg add "$settings_key" /v "InstallerTestMarker" /d "kept" /f >/dev/null
wine "$install_dir/Uninstall.exe" /S
# The uninstaller copies itself to the temporary folder and returns at once; the copy does the work.
check "program folder removed" wait_for 60 absent test -e "$install_dir"
check "Start-menu shortcut removed" absent test -e "$shortcut"
check "machine start-up entry removed" absent has_value "$machine_run_key" "$exe"
check "user start-up entry removed" absent has_value "$run_key" "$exe"
check "other start-up entries kept" has_value "$machine_run_key" "Unrelated Program.exe"
check "user settings kept" has_value "$settings_key" "InstallerTestMarker"
check "Add/Remove Programs entry removed" absent has_key "$uninstall_key"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "installer round trip passed"
