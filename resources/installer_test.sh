#!/usr/bin/env bash
# Signs the release with a throwaway certificate and checks the signatures; installs Corvalin Timer
# Software silently under Wine just for the user (signed) and for all users, starts the installed
# program, installs again (which closes it and starts it again), uninstalls both silently, and checks
# what each step leaves behind. Usage: installer_test.sh <setup.exe> (in the build folder)
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
approved='\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product"
user_uninstall_key="HKCU${uninstall_key#HKLM}"

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
# A process that has ended but was not yet waited for is a zombie: kill -0 would still find it.
program_running() { ps -o stat= -p "$program_pid" 2>/dev/null | grep -q '^ *[^Z ]'; }
program_window_shown() { xdotool search --all --pid "$program_pid" --name "^$product\$" >/dev/null 2>&1; }
any_program_window() { xdotool search --name "^$product\$" >/dev/null 2>&1; }
# Which registry keys and values exist, asked in one Wine start: each argument is a key, or a key and
# a value name joined by "|"; prints the number of each one that exists, one a line. A batch file, since
# Wine's cmd does not take reg's exit code for "&&" on one line.
present_in_registry() {
    local batch probe i=0
    batch="$(mktemp --suffix=.bat)"
    printf '@echo off\r\n' >"$batch"
    for probe in "$@"; do
        if [[ "$probe" == *"|"* ]]; then
            printf 'reg query "%s" /v "%s" >nul 2>&1\r\n' "${probe%%|*}" "${probe#*|}" >>"$batch"
        else
            printf 'reg query "%s" >nul 2>&1\r\n' "$probe" >>"$batch"
        fi
        printf 'if not errorlevel 1 echo %d\r\n' "$i" >>"$batch"
        i=$((i + 1))
    done
    wine cmd /c "Z:${batch//\//\\}" 2>/dev/null | tr -d '\r' || true
    rm -f "$batch"
}
listed() { grep -qx "$1" <<<"$found"; }
entry_values=(DisplayName DisplayVersion Publisher DisplayIcon InstallLocation UninstallString
              QuietUninstallString EstimatedSize NoModify NoRepair)
entry_probes() { local v; for v in "${entry_values[@]}"; do probes+=("$1|$v"); done; }  # appends to probes
# An Add/Remove Programs entry with every value, its probes from the <first> one on.
entry_complete() {
    local i
    for ((i = $1; i < $1 + ${#entry_values[@]}; i++)); do listed "$i" || return 1; done
}
# C:\... as the Unix path of the prefix's drive C: (what winepath says, without a Wine start).
unix_path() { local p="${1#[Cc]:\\}"; echo "$WINEPREFIX/drive_c/${p//\\//}"; }
# Registry lines imported in one Wine start (REGEDIT4; "name"=- deletes a value).
import_reg() {
    local file
    file="$(mktemp --suffix=.reg)"
    printf '%s\n' 'REGEDIT4' '' "$@" >"$file"
    wine regedit /S "Z:${file//\//\\}" >/dev/null 2>&1 || true
    rm -f "$file"
}
# A value as regedit writes it: backslashes and quotes escaped.
reg_text() { local t="${1//\\/\\\\}"; echo "\"${t//\"/\\\"}\""; }
wait_for() {  # wait_for <seconds> <command...>: true as soon as the command succeeds
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

# The folders a 32-bit Wine prefix gives %ProgramFiles% and %ProgramData%, known without a Wine start;
# should they ever move, the first checks below fail rather than pass.
program_files='C:\Program Files'
install_dir="$(unix_path "$program_files")/$product"
shortcut="$(unix_path 'C:\ProgramData')/Microsoft/Windows/Start Menu/Programs/$product.lnk"
install_dir_windows="$program_files\\$product"
user_profile="$WINEPREFIX/drive_c/users/$(id -un)"
user_dir="$user_profile/AppData/Local/Programs/$product"
user_dir_windows="C:\\users\\$(id -un)\\AppData\\Local\\Programs\\$product"
user_shortcut="$user_profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/$product.lnk"
signing="$(mktemp -d)"

program_pid=""
cleanup() {
    if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
    import_reg "[${machine_run_key/HKLM/HKEY_LOCAL_MACHINE}]" '"Unrelated Program.exe"=-' "\"$exe\"=-" '' \
        "[${run_key/HKCU/HKEY_CURRENT_USER}]" "\"$exe\"=-" '' \
        "[${settings_key/HKCU/HKEY_CURRENT_USER}]" '"InstallerTestMarker"=-' '' \
        "[-${settings_key/HKCU/HKEY_CURRENT_USER}\\Timers]" '' "[HKEY_CURRENT_USER$approved]" "\"$exe\"=-" '' \
        "[HKEY_LOCAL_MACHINE$approved]" "\"$exe\"=-" '' \
        "[-${user_uninstall_key/HKCU/HKEY_CURRENT_USER}]" '' "[-${uninstall_key/HKLM/HKEY_LOCAL_MACHINE}]"
    rm -rf "$signing"
}
trap cleanup EXIT
# What an earlier, interrupted run may have left.
rm -rf "$install_dir" "$shortcut" "$user_dir" "$user_shortcut"

echo "== a release signed with a throwaway certificate"
signed="$signing/signed"
setup="$(basename "$installer")"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$signing/key.pem" -out "$signing/cert.pem" -days 2 \
    -subj "/CN=$product test signing" -addext extendedKeyUsage=codeSigning 2>/dev/null
SIGN_PASSWORD="throwaway $RANDOM"
export SIGN_PASSWORD SIGN_PFX="$signing/test.pfx"
openssl pkcs12 -export -inkey "$signing/key.pem" -in "$signing/cert.pem" -out "$SIGN_PFX" \
    -passout env:SIGN_PASSWORD
release_url=https://example.org/corvalin/releases
RELEASE_URL="$release_url/" bash "$resources/../scripts/sign.sh" "$(dirname "$installer")" "$signed" >/dev/null
verifies() { osslsigncode verify -CAfile "$signing/cert.pem" -in "$1" >/dev/null 2>&1; }
check "signed program verifies" verifies "$signed/$exe"
check "signed installer verifies" verifies "$signed/$setup"
check "the signed zip holds the signed program" \
    cmp -s "$signed/$exe" <(unzip -p "$signed/${setup/setup.exe/portable.zip}" "$product/$exe")
check "SHA256SUMS lists the signed files" bash -c "cd '$signed' && sha256sum --quiet -c SHA256SUMS"
python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()); b[4096] ^= 0xFF
open(sys.argv[2], "wb").write(b)' "$signed/$exe" "$signing/changed.exe"
check "a file changed after signing fails verification" absent verifies "$signing/changed.exe"

echo "== silent install just for the user, signed"
wine "$signed/$setup" /S /CurrentUser >/dev/null 2>&1 </dev/null
check "program installed in the user's folder" cmp -s "$user_dir/$exe" "$signed/$exe"
check "the uninstaller it wrote verifies" verifies "$user_dir/Uninstall.exe"
check "the user's Start-menu shortcut" test -f "$user_shortcut"
probes=("$uninstall_key")
entry_probes "$user_uninstall_key"
found="$(present_in_registry "${probes[@]}")"
check "the user's Add/Remove Programs entry, complete" entry_complete 1
# winget finds the entry by the manifests' product code, and compares its name, publisher and version.
manifests_match() {
    wine reg query "${user_uninstall_key%\\*}" /s 2>/dev/null | tr -d '\r' >"$signing/entries.txt"
    python3 - "$signed" "$release_url" "$signing/entries.txt" "$setup" <<'CHECK'
import glob, hashlib, json, re, sys
signed, url, entries, setup = sys.argv[1:]
keys, problems = {}, []
for line in open(entries):
    if line.startswith("HKEY"): key = keys.setdefault(line.strip().rsplit("\\", 1)[1], {})
    elif " REG_SZ " in line: name, value = re.split(r"\s+REG_SZ\s+", line.strip()); key[name] = value
def same(what, got, wanted): got == wanted or problems.append(f"{what}: {got!r}, not {wanted!r}")
def sha(name): return hashlib.sha256(open(f"{signed}/{name}", "rb").read()).hexdigest()
def values(manifest, name): return [v for k, v in manifest if k == name]
# Every value quoted, so that a version such as 7.00 stays text.
winget = {path.split(".")[-2]: [(k, json.loads(v)) for k, v in re.findall(r'^[- ]*(\w+): (".*")$', open(path).read(), re.M)]
          for path in glob.glob(f"{signed}/winget/manifests/v/Vendrel/CorvalinTimerSoftware/*/*.yaml")}
installer = winget["installer"]
product_code = dict(installer)["ProductCode"]
entry = keys.get(product_code, {})
same("product codes", values(installer, "ProductCode"), [product_code] * 2)
for name in ("DisplayName", "Publisher", "DisplayVersion"): same(name, values(installer, name), [entry.get(name)])
same("versions", [dict(m)["PackageVersion"] for m in winget.values()], [entry.get("DisplayVersion")] * 3)
same("installers", [values(installer, k) for k in ("Scope", "InstallerUrl", "InstallerSha256", "Silent")],
     [["user", "machine"], [f"{url}/{setup}"] * 2, [sha(setup).upper()] * 2, ["/S /CurrentUser", "/S /AllUsers"]])
same("elevation", values(installer, "ElevationRequirement"), ["elevatesSelf"])
scoop = json.load(open(f"{signed}/scoop/corvalin-timer-software.json"))
zip_name = setup.replace("setup.exe", "portable.zip")
same("scoop", [scoop["version"], scoop["url"], scoop["hash"], scoop["persist"]],
     [entry.get("DisplayVersion"), f"{url}/{zip_name}", sha(zip_name), "Corvalin Timer Software.ini"])
problems and print(*problems, sep="\n", file=sys.stderr)
sys.exit(1 if problems else 0)
CHECK
}
check "winget's and Scoop's manifests match the signed files and this entry" manifests_match
check "the zip holds the portable mark and no settings file" \
    test "$(unzip -Z1 "$signed/${setup/setup.exe/portable.zip}" | grep -E '/portable$|\.ini$')" = "$product/portable"
check "nothing for all users" absent listed 0
check "nothing under Program Files" absent test -e "$install_dir"
check "no Start-menu shortcut for all users" absent test -e "$shortcut"

echo "== silent install"
# Output to /dev/null: the Wine session processes the first start of a run leaves behind inherit it,
# and would hold the test runner's pipe open.
wine "$installer" /S >/dev/null 2>&1 </dev/null
check "program installed" test -f "$install_dir/$exe"
check "alarm.wav installed, unchanged" cmp -s "$install_dir/alarm.wav" "$resources/alarm.wav"
check "HAND-M.CUR installed, unchanged" cmp -s "$install_dir/HAND-M.CUR" "$resources/HAND-M.CUR"
check "uninstaller installed" test -f "$install_dir/Uninstall.exe"
check "Start-menu shortcut" test -f "$shortcut"
probes=("$user_uninstall_key")
entry_probes "$uninstall_key"
found="$(present_in_registry "${probes[@]}")"
check "Add/Remove Programs entry, complete" entry_complete 1
check "the install just for the user stays" listed 0
check "its program stays" test -f "$user_dir/$exe"

echo "== the installed program starts"
(cd "$install_dir" && exec wine "$exe") >/dev/null 2>&1 &
program_pid=$!
if command -v xdotool >/dev/null; then
    check "its main window opens" wait_for 20 program_window_shown
fi
check "it keeps running" program_running

echo "== a second install closes the running copy first and starts it again"
# The installer stamps the files it writes with the time it writes them: the program must be newer.
touch -d '-2 seconds' "$signing/marker"
wine "$installer" /S /AllUsers >/dev/null 2>&1 </dev/null
check "the running copy was closed" wait_for 20 absent program_running
check "the program was installed again" test "$install_dir/$exe" -nt "$signing/marker"
kill "$program_pid" 2>/dev/null || true
wait "$program_pid" 2>/dev/null || true
program_pid=""
if command -v xdotool >/dev/null; then
    check "the installed program runs again" wait_for 20 any_program_window
fi

echo "== silent uninstall of both"
# Start-up entries as the program's check box makes them (the user's for the install just for the
# user, quoted; a machine-wide one for the other), each turned off in Task Manager, one the program does
# not own, a setting of the user's and a timer's record.
turned_off='hex:03,00,00,00,01,02,03,04,05,06,07,08'
import_reg "[${machine_run_key/HKLM/HKEY_LOCAL_MACHINE}]" "\"$exe\"=$(reg_text "$install_dir_windows\\$exe")" \
    "\"Unrelated Program.exe\"=$(reg_text 'C:\unrelated.exe')" '' \
    "[${run_key/HKCU/HKEY_CURRENT_USER}]" "\"$exe\"=$(reg_text "\"$user_dir_windows\\$exe\"")" '' \
    "[HKEY_CURRENT_USER$approved]" "\"$exe\"=$turned_off" '' "[HKEY_LOCAL_MACHINE$approved]" "\"$exe\"=$turned_off" '' \
    "[${settings_key/HKCU/HKEY_CURRENT_USER}]" '"InstallerTestMarker"="kept"' '' \
    "[${settings_key/HKCU/HKEY_CURRENT_USER}\\Timers\\1]" '"Label"="Tea"'
wine "$user_dir/Uninstall.exe" /S >/dev/null 2>&1 </dev/null
# The uninstaller copies itself to the temporary folder and returns at once; the copy does the work.
check "the user's program folder removed" wait_for 60 absent test -e "$user_dir"
check "the user's Start-menu shortcut removed" absent test -e "$user_shortcut"
if command -v xdotool >/dev/null; then
    check "the copy for all users, running, is left alone" any_program_window
fi
wine "$install_dir/Uninstall.exe" /S >/dev/null 2>&1 </dev/null
check "program folder removed" wait_for 60 absent test -e "$install_dir"
check "Start-menu shortcut removed" absent test -e "$shortcut"
found="$(present_in_registry "$machine_run_key|$exe" "$run_key|$exe" "$machine_run_key|Unrelated Program.exe" \
    "$settings_key|InstallerTestMarker" "$uninstall_key" "$user_uninstall_key" "$settings_key\\Timers" \
    "HKCU$approved|$exe" "HKLM$approved|$exe")"
check "machine start-up entry removed" absent listed 0
check "user start-up entry removed" absent listed 1
check "other start-up entries kept" listed 2
check "user settings kept" listed 3
check "Add/Remove Programs entries removed" absent listed 4
check "the user's Add/Remove Programs entry removed" absent listed 5
check "the timers' records removed" absent listed 6
check "what Task Manager kept of both start-up entries removed" absent eval 'listed 7 || listed 8'

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "installer round trip passed"
