#!/usr/bin/env bash
# Sets up, builds and starts Fenlow under Wine in a virtual desktop (on $DISPLAY, else on Xvfb).
set -euo pipefail
. "$(dirname "$0")/common.sh"
build=${FENLOW_BUILD:-$top/build}
export FENLOW_TESTS=${FENLOW_TESTS:-OFF}
had_display=${DISPLAY:-}
# The user's own prefix: the settings stay in it between runs.
fenlow_session "$build" user no-keeper

"$WINE" "$run_build/bin/fenlow.exe" &
fenlow=$!
if [ -z "$had_display" ]; then
    sleep 4
    shot=$run_build/fenlow-desktop.png
    import -display "$DISPLAY" -window root "$shot"
    echo "Fenlow is running on Xvfb $DISPLAY; screenshot: $shot"
    echo "Stop it with Ctrl+C (or: WINEPREFIX=$WINEPREFIX wineserver -k)."
else
    echo "Fenlow is running in the Wine desktop on $DISPLAY. Quit it from its tray menu (Exit), or Ctrl+C here."
fi
wait $fenlow || true
