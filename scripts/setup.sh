#!/usr/bin/env bash
# Installs what building and running Fenlow needs (Debian), then configures and builds it.
# Usage: scripts/setup.sh [build-dir]   (FENLOW_TESTS=OFF skips the test programs)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}

# The x86_64 compilers and wine64 are for machines that cannot run 32-bit programs (scripts/arch.sh).
pkgs=(g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686 cmake make googletest
      g++-mingw-w64-x86-64 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
      wine wine32:i386 wine64 fonts-wine xvfb xauth xdotool imagemagick x11-utils python3 nsis
      clang lld cppcheck clang-tidy git osslsigncode openssl p7zip-full python3-yaml)
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
    if ! dpkg --print-foreign-architectures | grep -qx i386; then $sudo dpkg --add-architecture i386; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

. "$top/scripts/arch.sh"
wine_tests=ON; [ "$FENLOW_RUN_ARCH" = i686 ] || wine_tests=OFF
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DFENLOW_TESTS="${FENLOW_TESTS:-ON}" -DFENLOW_WINE_TESTS=$wine_tests >/dev/null
cmake --build "$build" -j "$(nproc)"

if [ "$FENLOW_RUN_ARCH" = x86_64 ]; then
    run_build=$(fenlow_run_build "$build")
    echo "setup: this machine cannot run 32-bit programs; building the 64-bit twin in $run_build to run here"
    cmake -S "$top" -B "$run_build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" \
          -DCMAKE_BUILD_TYPE=Release -DFENLOW_TESTS="${FENLOW_TESTS:-ON}" \
          -DFENLOW_SHIPPED_EXE="$build/bin/fenlow.exe" >/dev/null
    cmake --build "$run_build" -j "$(nproc)"
fi
