#!/usr/bin/env bash
# Sets up, builds and starts Fenlow under Wine in a virtual desktop (on $DISPLAY, else on Xvfb).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${FENLOW_BUILD:-$top/build}
FENLOW_TESTS=${FENLOW_TESTS:-OFF} "$top/scripts/setup.sh" "$build"

. "$top/scripts/wine-desktop.sh"
desktop_traps
build=$(fenlow_run_build "$build")
prefix=${FENLOW_PREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/fenlow/wineprefix}
[ "$FENLOW_WINEARCH" = win32 ] || prefix=${FENLOW_PREFIX:-$prefix-$FENLOW_WINEARCH}
had_display=${DISPLAY:-}
# Keep the user's prefix (and the settings in it) between runs.
desktop_start "$prefix" keep

"$WINE" "$build/bin/fenlow.exe" &
fenlow=$!
if [ -z "$had_display" ]; then
    sleep 4
    shot=$build/fenlow-desktop.png
    import -display "$DISPLAY" -window root "$shot"
    echo "Fenlow is running on Xvfb $DISPLAY; screenshot: $shot"
    echo "Stop it with Ctrl+C (or: WINEPREFIX=$WINEPREFIX wineserver -k)."
else
    echo "Fenlow is running in the Wine desktop on $DISPLAY. Quit it from its tray menu (Exit), or Ctrl+C here."
fi
wait $fenlow || true
