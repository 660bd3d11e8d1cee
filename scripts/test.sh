#!/usr/bin/env bash
# Sets up, builds and runs every test in a fresh Wine prefix with its own desktop.
# Usage: scripts/test.sh [ctest arguments, e.g. -R Settings]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${FENLOW_BUILD:-$top/build}
"$top/scripts/setup.sh" "$build"

. "$top/scripts/wine-desktop.sh"
FENLOW_XVFB=${FENLOW_XVFB:-1}
trap desktop_stop EXIT INT TERM
desktop_start "$build/wineprefix"

# The desktop closes with its last program: a hidden keeper holds it open for the run.
wine "$build/bin/keeper.exe" >/dev/null 2>&1 &
sleep 1

ctest --test-dir "$build" --output-on-failure --timeout 180 "$@"
