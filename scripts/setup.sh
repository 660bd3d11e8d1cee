#!/usr/bin/env bash
# Installs what building and running Fenlow needs (Debian), then configures and builds it.
# Usage: scripts/setup.sh [build-dir [target...]]   (FENLOW_TESTS=OFF skips the test programs;
#        targets: build only these)
set -euo pipefail
. "$(dirname "$0")/common.sh"
build=${1:-$top/build}
[ $# -eq 0 ] || shift

# The x86_64 compilers and wine64 are for machines that cannot run 32-bit programs (scripts/arch.sh).
pkgs=(g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686 cmake make googletest
      g++-mingw-w64-x86-64 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
      wine wine32:i386 wine64 fonts-wine xvfb xauth xdotool imagemagick x11-utils python3 nsis
      clang lld cppcheck clang-tidy clang-format git osslsigncode openssl p7zip-full python3-yaml)
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

# Only now: whether Wine runs 32-bit programs can be asked of an installed Wine alone.
fenlow_arch
fenlow_build "$build" "$@"
