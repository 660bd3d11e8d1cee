#!/usr/bin/env bash
# Installs what building and running Fenlow needs (Debian), then configures and builds it.
# Usage: scripts/setup.sh [build-dir]   (FENLOW_TESTS=OFF skips the test programs)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}

pkgs=(g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686 cmake make googletest
      wine wine32:i386 xvfb xauth xdotool imagemagick x11-utils python3 nsis)
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

cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DFENLOW_TESTS="${FENLOW_TESTS:-ON}" >/dev/null
cmake --build "$build" -j "$(nproc)"
