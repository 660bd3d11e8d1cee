#!/usr/bin/env bash
# Cuts a release into <build-dir>/release/: fenlow.exe's SHA-256, the installer, the portable zip,
# SHA256SUMS and the winget and Scoop manifests.
# Usage: scripts/release.sh [build-dir]          (default: build)
# Signed when FENLOW_SIGN_PFX names a code-signing certificate (PFX) and FENLOW_SIGN_PASSWORD_FILE
# a file holding its password; FENLOW_SIGN_TIMESTAMP_URL adds an RFC 3161 timestamp. Without them
# the release is unsigned. FENLOW_DOWNLOAD_URL sets the manifests' download folder.
# FENLOW_TOOLCHAIN: another CMake toolchain file (the test bench's 64-bit twin); the release is 32-bit.
# Each run configures again, so the signing settings are always this run's environment's.
set -euo pipefail
. "$(dirname "$0")/common.sh"
build=${1:-$top/build}

args=(-DFENLOW_SIGN_PFX="${FENLOW_SIGN_PFX:-}" -DFENLOW_SIGN_PASSWORD_FILE="${FENLOW_SIGN_PASSWORD_FILE:-}"
      -DFENLOW_SIGN_TIMESTAMP_URL="${FENLOW_SIGN_TIMESTAMP_URL:-}")
[ -z "${FENLOW_TESTS:-}" ] || args+=(-DFENLOW_TESTS="$FENLOW_TESTS")
[ -z "${FENLOW_DOWNLOAD_URL:-}" ] || args+=(-DFENLOW_DOWNLOAD_URL="$FENLOW_DOWNLOAD_URL")
fenlow_configure "$build" "${FENLOW_TOOLCHAIN:-$top/cmake/mingw-i686.cmake}" "${args[@]}"
cmake --build "$build" --target release -j "$(nproc)"
