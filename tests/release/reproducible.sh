#!/usr/bin/env bash
# Builds the release from two copies of the sources at different paths, in fresh build folders,
# and checks that fenlow.exe comes out byte-identical, with no link timestamp and no build path,
# and equal to the fenlow.exe given (this build's), so the published SHA-256 can be checked by
# anyone. The installer and the zip must come out identical too (zip times: SOURCE_DATE_EPOCH).
# Usage: reproducible.sh SOURCE_DIR BUILD_TYPE [FENLOW_EXE]
set -euo pipefail
src=$1 type=${2:-Release} want=${3:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/fenlow-repro.XXXXXX")
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-1700000000}

build() {  # folder
    mkdir -p "$1/src"
    # Every build folder (one with a CMakeCache.txt) stays behind, and so does .git.
    tar -C "$src" --exclude=./.git --exclude-tag-all=CMakeCache.txt -cf - . | tar -C "$1/src" -xf -
    if ! { cmake -S "$1/src" -B "$1/build" -DCMAKE_TOOLCHAIN_FILE="$1/src/cmake/mingw-i686.cmake" \
                 -DCMAKE_BUILD_TYPE="$type" -DFENLOW_TESTS=OFF &&
           cmake --build "$1/build" --target release -j "$(nproc)"; } >"$1.log" 2>&1; then
        cat "$1.log"; echo "FAIL: the build in $1 failed"; exit 1
    fi
}

build "$work/one"
build "$work/second-copy"
fail=0
same() {  # relative path: identical in both builds
    local a=$work/one/build/$1 b=$work/second-copy/build/$1
    if [ ! -f "$a" ] || [ ! -f "$b" ]; then echo "FAIL: $1 missing"; fail=1; return; fi
    local ha hb
    ha=$(sha256sum "$a" | cut -d' ' -f1); hb=$(sha256sum "$b" | cut -d' ' -f1)
    echo "$ha  $1 (first)"; echo "$hb  $1 (second)"
    [ "$ha" = "$hb" ] || { echo "FAIL: $1 differs between the builds"; cmp -l "$a" "$b" | head -5; fail=1; }
}
same bin/fenlow.exe
for f in "$work"/one/build/release/*.exe "$work"/one/build/release/*.zip; do
    [ -e "$f" ] && same "release/$(basename "$f")"
done

exe=$work/one/build/bin/fenlow.exe
# The PE header's TimeDateStamp (offset 8 in the header that e_lfanew at 0x3C points to).
pe=$(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ')
stamp=$(od -An -tu4 -j$((pe + 8)) -N4 "$exe" | tr -d ' ')
[ "$stamp" = 0 ] || { echo "FAIL: link timestamp $stamp"; fail=1; }
if grep -q -F "$work" "$exe"; then echo "FAIL: fenlow.exe holds its build path"; fail=1; fi

if [ -n "$want" ]; then
    hw=$(sha256sum "$want" | cut -d' ' -f1)
    echo "$hw  $want"
    [ "$hw" = "$(sha256sum "$exe" | cut -d' ' -f1)" ] ||
        { echo "FAIL: $want differs from the fresh builds (stale build, or other flags?)"; fail=1; }
fi
[ $fail = 0 ] && echo "reproducible: fenlow.exe SHA-256 $(sha256sum "$exe" | cut -d' ' -f1)"
exit $fail
