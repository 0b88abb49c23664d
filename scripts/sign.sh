#!/usr/bin/env bash
# Signs a release's Windows files with Authenticode (SHA-256, RSA key) and writes them to
# build/windows/signed: the program, the installer holding that signed program (its uninstaller is
# signed while makensis writes it, the installer once it is written), the portable zip of the signed
# program and SHA256SUMS of the three; with RELEASE_URL, the package manifests for winget
# (winget/manifests/...) and Scoop (scoop/corvalin-timer-software.json) that download them from there.
# The unsigned files of build/windows stay as they are.
#
#   scripts/sign.sh                    builds the release first (a build that is up to date is kept)
#   scripts/sign.sh <build> <out>      signs the release already built in <build>, into <out>
#   scripts/sign.sh file <file>        signs one file in place (makensis calls this)
#
# The key comes from the environment only; nothing secret is written to disk or printed:
#   SIGN_PFX, SIGN_PASSWORD            a PKCS#12 (.pfx) file and its password
#   SIGN_PKCS11_MODULE, SIGN_KEY_ID,   a key on a hardware token or in a cloud service: its PKCS#11
#   SIGN_CERT                          module, the key's id (or pkcs11: URI) and its certificate;
#                                      SIGN_PASSWORD, when set, is the token's PIN
# and optionally SIGN_TIMESTAMP_URL (an RFC 3161 time-stamp server, so that the signature outlives the
# certificate) and SIGN_URL (the web page the signature names). RELEASE_URL is the web folder the
# signed files will be published in (https://.../releases), which the manifests name.
set -euo pipefail

usage() {
    echo "usage: sign.sh | sign.sh <build folder> <output folder> | sign.sh file <file to sign>" >&2
    exit 2
}
case "$#:${1:-}" in
    0: | 2:* ) ;;
    *) usage ;;
esac

root="$(cd "$(dirname "$0")/.." && pwd)"
product="Corvalin Timer Software"
description="$product"

if [ -n "${SIGN_PFX:-}" ] && [ -n "${SIGN_PASSWORD+set}" ]; then
    key=(-pkcs12 "$SIGN_PFX")
elif [ -n "${SIGN_PKCS11_MODULE:-}" ] && [ -n "${SIGN_KEY_ID:-}" ] && [ -n "${SIGN_CERT:-}" ]; then
    key=(-pkcs11module "$SIGN_PKCS11_MODULE" -key "$SIGN_KEY_ID" -certs "$SIGN_CERT")
else
    echo "sign.sh: no signing key. Set SIGN_PFX and SIGN_PASSWORD (a .pfx file and its password), or" >&2
    echo "SIGN_PKCS11_MODULE, SIGN_KEY_ID and SIGN_CERT (a token's PKCS#11 module, key id, certificate)." >&2
    exit 2
fi
options=(-h sha256 -n "$description")
[ -z "${SIGN_URL:-}" ] || options+=(-i "$SIGN_URL")
[ -z "${SIGN_TIMESTAMP_URL:-}" ] || options+=(-ts "$SIGN_TIMESTAMP_URL")

# sign_file <in> <out>. The password reaches osslsigncode through a pipe, never its command line.
sign_file() {
    local log
    if [ -n "${SIGN_PASSWORD:-}" ]; then
        log="$(osslsigncode sign "${key[@]}" -readpass <(printf '%s' "$SIGN_PASSWORD") "${options[@]}" \
            -in "$1" -out "$2" 2>&1)" || { echo "$log" >&2; return 1; }
    else
        log="$(osslsigncode sign "${key[@]}" "${options[@]}" -in "$1" -out "$2" 2>&1)" ||
            { echo "$log" >&2; return 1; }
    fi
}

if [ "${1:-}" = file ]; then
    [ -f "$2" ] || { echo "sign.sh: no file to sign at '$2'" >&2; exit 2; }
    sign_file "$2" "$2.signing"
    mv -f "$2.signing" "$2"
    exit 0
fi

if [ $# -eq 0 ]; then
    cd "$root"
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target release
    build="$root/build/windows"
    out="$build/signed"
else
    build="$(cd "$1" && pwd)"
    out="$2"
fi
mkdir -p "$out"
out="$(cd "$out" && pwd)"
installer=CorvalinTimerSoftware-7.00-setup.exe
zip=CorvalinTimerSoftware-7.00-portable.zip
rm -f "$out/$product.exe" "$out/$installer" "$out/$zip" "$out/SHA256SUMS"

# A signed copy of the program as it was built: the build itself stays unsigned.
sign_file "$build/$product.exe" "$out/$product.exe"
makensis -V1 -INPUTCHARSET UTF8 \
    "-DPROGRAM_EXE=$out/$product.exe" \
    "-DALARM_WAV=$root/resources/alarm.wav" \
    "-DHAND_CUR=$root/resources/HAND-M.CUR" \
    "-DAPP_ICON=$root/resources/app.ico" \
    "-DOUTFILE=$out/$installer" \
    "-DSIGN_SCRIPT=$root/scripts/sign.sh" \
    "$root/resources/installer.nsi"
python3 "$root/resources/release.py" zip "$build/source-date-epoch" "$out/$zip" "$product" \
    "$out/$product.exe" "$root/resources/alarm.wav" "$root/resources/HAND-M.CUR"
python3 "$root/resources/release.py" sums "$out/SHA256SUMS" "$out/$product.exe" "$out/$installer" "$out/$zip"
rm -rf "$out/winget" "$out/scoop"
if [ -n "${RELEASE_URL:-}" ]; then
    python3 "$root/resources/release.py" manifests "$root/resources/installer.nsi" "$out" "$RELEASE_URL" \
        "$out/$installer" "$out/$zip"
    echo "manifests for $RELEASE_URL: $out/winget, $out/scoop"
else
    echo "no RELEASE_URL (the web folder the signed files go to): no winget or Scoop manifests written"
fi
echo "signed: $out"
