#!/usr/bin/env bash
# Checks the release artefacts of a finished Windows build (build/windows): the exe ships without debug
# information and names its debug file, the zip holds that stripped exe and the empty portable mark
# (and no settings file), and a second build of the same sources, in other folders and building only
# what a release needs, gives the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/windows
product="Corvalin Timer Software"
zip_name=CorvalinTimerSoftware-7.00-portable.zip
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

echo "-- the exe is stripped and names its debug file"
sections="$(i686-w64-mingw32-objdump -h "$build/$product.exe")"
if grep -q ' \.debug_' <<<"$sections"; then fail "$product.exe carries debug sections"; fi
python3 resources/release.py debuglink "$build/$product.exe" "$build/$product.debug" ||
    fail "$product.exe does not link $product.debug"
i686-w64-mingw32-objdump -h "$build/$product.debug" | grep -q ' \.debug_info' ||
    fail "$product.debug holds no debug information"
if unzip -Z1 "$build/$zip_name" | grep -q '\.debug$'; then fail "the zip holds a debug file"; fi
unzip -p "$build/$zip_name" "$product/$product.exe" | cmp -s - "$build/$product.exe" ||
    fail "the zip's exe is not the stripped one"
unzip -Z1 "$build/$zip_name" | grep -qx "$product/portable" &&
    [ -z "$(unzip -p "$build/$zip_name" "$product/portable")" ] || fail "the zip holds no empty portable mark beside the exe"
if unzip -Z1 "$build/$zip_name" | grep -qi '\.ini$'; then fail "the zip holds a settings file"; fi

echo "-- a second build in other folders gives the same bytes"
second="$(mktemp -d "${TMPDIR:-/tmp}/corvalin-release.XXXXXX")"
trap 'rm -rf "$second"' EXIT
mkdir "$second/source"
# The sources as they are here, committed or not, without build output or git metadata.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard |
        tar --null --files-from=- --ignore-failed-read -cf - 2>/dev/null | tar -xf - -C "$second/source"
else
    tar --exclude=./build -cf - . | tar -xf - -C "$second/source"
fi
# Without git the second build would fall back to a fixed time; it takes the first build's, as someone
# rebuilding a release takes the release's.
SOURCE_DATE_EPOCH="$(cat "$build/source-date-epoch")"
export SOURCE_DATE_EPOCH
(
    cd "$second/source"
    cmake --preset windows >/dev/null
    cmake --build --preset windows -j "$(nproc)" --target release >/dev/null
)
for name in "$product.exe" "$product.debug" "$zip_name" CorvalinTimerSoftware-7.00-setup.exe SHA256SUMS; do
    first="$build/$name"
    again="$second/source/$build/$name"
    if ! cmp -s "$first" "$again"; then
        fail "$name differs between the two builds ($(cmp -l "$first" "$again" 2>/dev/null | wc -l) bytes)"
    fi
done
cat "$build/SHA256SUMS"

if [ "$failures" -ne 0 ]; then
    echo "$failures release check(s) failed"
    exit 1
fi
echo "release artefacts: stripped, debug file linked, the same bytes from a second build"
