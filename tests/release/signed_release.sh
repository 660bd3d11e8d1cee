#!/usr/bin/env bash
# Cuts a signed release with a throwaway self-signed code-signing certificate and checks, with
# osslsigncode and that certificate as the only trusted root, that fenlow.exe (as built and inside
# both packages), the uninstaller the installer carries and the installer itself verify, and
# that one changed byte breaks each of them. The password must appear nowhere in the build.
# Each run works in a folder of its own next to WORK, so that runs side by side never meet; WORK
# then links to the last run that passed, whose build the install test under Wine uses.
# Usage: signed_release.sh SOURCE_DIR WORK [TOOLCHAIN_FILE]
set -euo pipefail
src=$1 link=$2 toolchain=${3:-}
. "$src/scripts/common.sh"
url=https://downloads.example.org/fenlow-test
for tool in openssl osslsigncode 7z python3; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done
# WORK is a link these runs make: anything else there is not this test's to replace.
if [ -e "$link" ] && [ ! -L "$link" ]; then
    echo "FAIL: $link is not this test's work folder; not replacing it"; exit 1
fi
keys="" work="" passed=""
# The keys always go; this run's folder stays only if the run passed, or WORK names it.
trap '[ -z "$keys" ] || rm -rf -- "$keys"
      [ -z "$work" ] || [ -n "$passed" ] || [ "$(readlink "$link" 2>/dev/null)" = "${work##*/}" ] ||
          remove_made "$work"' EXIT
trap 'exit 1' INT TERM
keys=$(mktemp -d "${TMPDIR:-/tmp}/fenlow-sign.XXXXXX")
mkdir -p "$(dirname "$link")"
work=$(mktemp -d "$link.XXXXXX")
mark_made "$work"

# A certificate good for code signing only, and a PFX locked with a random password.
password=fenlow-$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
printf '%s\n' "$password" >"$keys/password"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/key.pem" -out "$keys/cert.pem" -days 2 \
        -subj "/CN=Fenlow throwaway test signer" -addext "keyUsage=critical,digitalSignature" \
        -addext "extendedKeyUsage=codeSigning" 2>/dev/null
openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -out "$keys/sign.pfx" \
        -passout "file:$keys/password"

build=$work/build
if ! FENLOW_TESTS=OFF FENLOW_SIGN_PFX=$keys/sign.pfx FENLOW_SIGN_PASSWORD_FILE=$keys/password \
     FENLOW_SIGN_TIMESTAMP_URL='' FENLOW_DOWNLOAD_URL=$url/ FENLOW_TOOLCHAIN=$toolchain "$src/scripts/release.sh" "$build" >"$work/build.log" 2>&1; then
    cat "$work/build.log"; echo "FAIL: the signed release build failed"; exit 1
fi
grep -E '^(Signed|Unsigned) ' "$work/build.log" || true

fail=0
release=$build/release
setup=$(echo "$release"/*-setup.exe)
mkdir -p "$work/from-setup" "$work/from-zip"
7z x -y -o"$work/from-setup" "$setup" fenlow.exe uninstall.exe >/dev/null
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extract("fenlow.exe", sys.argv[2])' \
        "$(echo "$release"/*-portable.zip)" "$work/from-zip"

verify() {  # file: prints the gist of osslsigncode's verdict, leaving all of it in $out; true when
            # the signature holds and uses SHA-256
    local rc=0
    out=$(osslsigncode verify -CAfile "$keys/cert.pem" -in "$1" 2>&1) || rc=$?
    printf '%s\n' "$out" | grep -E 'Message digest algorithm  :|Calculated message digest|Subject:|verification: |^Succeeded|^Failed' |
        head -6 | sed 's/^/    /'
    [ $rc = 0 ] && printf '%s\n' "$out" | grep -q '^Succeeded' &&
        printf '%s\n' "$out" | grep -q 'Message digest algorithm  : SHA256'
}

for f in "$build/installer/stage/fenlow.exe" "$work/from-setup/fenlow.exe" "$work/from-zip/fenlow.exe" \
         "$work/from-setup/uninstall.exe" "$setup"; do
    echo "verify ${f#"$work"/}"
    if ! verify "$f"; then echo "FAIL: ${f#"$work"/} does not verify"; fail=1; continue; fi
    # One byte in the middle of the signed content, changed.
    bad=$work/tampered.exe
    cp "$f" "$bad"
    python3 -c 'import sys; p = sys.argv[1]; b = bytearray(open(p, "rb").read()); b[len(b) // 3] ^= 0x01; open(p, "wb").write(b)' "$bad"
    echo "verify ${f#"$work"/} with one byte changed"
    if verify "$bad"; then echo "FAIL: ${f#"$work"/} with one byte changed still verifies"; fail=1; fi
    # Refused for the right reason: the file's digest, not a file osslsigncode cannot read.
    grep -q 'MISMATCH' <<<"$out" || { echo "FAIL: ${f#"$work"/} with one byte changed: no digest mismatch"; fail=1; }
done
cmp -s "$build/installer/stage/fenlow.exe" "$work/from-setup/fenlow.exe" ||
    { echo "FAIL: the installer holds another fenlow.exe than the signed one"; fail=1; }

if grep -rqF -- "$password" "$build" "$work/build.log"; then
    echo "FAIL: the password is written in the build folder or its log:"; grep -rlF -- "$password" "$build" "$work/build.log"; fail=1
fi
grep -q '^Signed release' "$work/build.log" || { echo "FAIL: the build does not say it signed"; fail=1; }

# The manifests were written after signing (their hashes are the signed files'), with the
# download folder this build was given.
python3 "$src/tests/release/check_manifests.py" "$release" "$build/version-facts.txt" "$url" || fail=1

[ $fail = 0 ] || exit 1
echo "signed release ok: $(sha256sum "$setup" | cut -d' ' -f1)  $(basename "$setup")"

# WORK moves to this run in one step (a rename): a reader sees the run before or this one, whole.
# Passed from here on: an interrupt during the move must not delete what WORK may already name.
passed=1
"$src/tests/release/publish_run.sh" "$link" "$work"
