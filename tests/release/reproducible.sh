#!/usr/bin/env bash
# Cuts the release (unsigned, without SOURCE_DATE_EPOCH) from two clean checkouts of the same
# commit at different paths and checks that SHA256SUMS, the packages and the manifests come out
# byte-identical, that the zip's entries carry the commit's time, that fenlow.exe has no link
# timestamp and no build path, and that it equals the fenlow.exe given (this build's), so the
# published SHA-256 can be checked by anyone. Uncommitted changes go into both copies alike.
# Usage: reproducible.sh SOURCE_DIR [FENLOW_EXE]
set -euo pipefail
src=$1 want=${2:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/fenlow-repro.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
unset SOURCE_DATE_EPOCH
commit=$(git -C "$src" rev-parse HEAD)
when=$(git -C "$src" log -1 --format=%ct)

build() {  # folder
    git clone -q --shared --no-checkout "$src" "$1/src"
    git -C "$1/src" checkout -q --detach "$commit"
    # Every build folder (one with a CMakeCache.txt) stays behind, and so does .git.
    tar -C "$src" --exclude=./.git --exclude-tag-all=CMakeCache.txt -cf - . | tar -C "$1/src" -xf -
    if ! FENLOW_TESTS=OFF FENLOW_SIGN_PFX='' FENLOW_SIGN_PASSWORD_FILE='' FENLOW_DOWNLOAD_URL='' \
         "$1/src/scripts/release.sh" "$1/build" >"$1.log" 2>&1; then
        cat "$1.log"; echo "FAIL: the build in $1 failed"; exit 1
    fi
}

build "$work/one"
build "$work/second-copy"
fail=0
a=$work/one/build/release b=$work/second-copy/build/release
echo "SHA256SUMS of the first build:"; cat "$a/SHA256SUMS"
echo "SHA256SUMS of the second build:"; cat "$b/SHA256SUMS"
if ! { [ -s "$a/SHA256SUMS" ] && cmp -s "$a/SHA256SUMS" "$b/SHA256SUMS"; }; then echo "FAIL: SHA256SUMS differ"; fail=1; fi
for f in "$a"/*.exe "$a"/*.zip "$work/one/build/installer/stage/fenlow.exe"; do
    grep -qx "$(sha256sum "$f" | cut -d' ' -f1)  $(basename "$f")" "$a/SHA256SUMS" ||
        { echo "FAIL: SHA256SUMS is wrong for $(basename "$f")"; fail=1; }
done
diff -r "$a/manifests" "$b/manifests" || { echo "FAIL: the manifests differ"; fail=1; }
[ -n "$(ls "$a"/manifests/winget 2>/dev/null)" ] || { echo "FAIL: no winget manifests"; fail=1; }

# Dates in a zip are local time with 2-second steps; the release writes them in UTC.
stamp=$(python3 -c 'import sys, zipfile; print(sorted({i.date_time for i in zipfile.ZipFile(sys.argv[1]).infolist()}))' "$a"/*.zip)
expect=$(python3 -c 'import sys, time; print([tuple(time.gmtime(int(sys.argv[1]) // 2 * 2))[:6]])' "$when")
[ "$stamp" = "$expect" ] || { echo "FAIL: zip entries dated $stamp, not the commit's $expect"; fail=1; }

for log in "$work/one.log" "$work/second-copy.log"; do
    [ "$(grep -c '^Unsigned release' "$log")" = 1 ] || { echo "FAIL: the build does not say once that it is unsigned"; fail=1; }
done

exe=$work/one/build/installer/stage/fenlow.exe
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
[ $fail = 0 ] && echo "reproducible: commit $commit, SHA256SUMS identical"
exit $fail
