#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages, when missing.
set -euo pipefail

need=()
command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686)
# The import audit reads the exe's imports with the cross toolchain's objdump.
command -v i686-w64-mingw32-objdump >/dev/null || need+=(binutils-mingw-w64-i686)
command -v wine >/dev/null || need+=(wine)
dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine32:i386)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xdotool >/dev/null || need+=(xdotool)
command -v xwd >/dev/null || need+=(x11-apps)
# The flash check watches the X server's root window with xev.
command -v xev >/dev/null || need+=(x11-utils)
dpkg -s imagemagick >/dev/null 2>&1 || need+=(imagemagick)
command -v makensis >/dev/null || need+=(nsis)
# Signing (scripts/sign.sh), and the test run's throwaway certificate that proves it.
command -v osslsigncode >/dev/null || need+=(osslsigncode)
command -v openssl >/dev/null || need+=(openssl)
command -v zip >/dev/null || need+=(zip)
command -v unzip >/dev/null || need+=(unzip)
# Wine's own fonts (the caption buttons are drawn with Marlett).
[ -f /usr/share/wine/fonts/marlett.ttf ] || need+=(fonts-wine)
# Metric-compatible stand-in for Arial, the font of every window.
[ -d /usr/share/fonts/truetype/liberation ] || need+=(fonts-liberation)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v g++ >/dev/null || need+=(g++)
command -v clang++ >/dev/null || need+=(clang)
[ -d /usr/src/googletest ] || need+=(googletest)
[ -e /usr/lib/x86_64-linux-gnu/libgtest.a ] || need+=(libgtest-dev)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
command -v python3 >/dev/null || need+=(python3)

if [ ${#need[@]} -eq 0 ]; then
    exit 0
fi
echo "installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
