#!/usr/bin/env bash
# Remakes the README's screenshots (docs/screenshots/) from the real fenlow.exe in a Wine desktop on Xvfb.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${FENLOW_BUILD:-$top/build}
out=$top/docs/screenshots
FENLOW_TESTS=OFF "$top/scripts/setup.sh" "$build" >/dev/null
mkdir -p "$out"

. "$top/scripts/wine-desktop.sh"
desktop_traps
build=$(fenlow_run_build "$build")
FENLOW_XVFB=1
desktop_start "$build/shots-prefix"

key='HKCU\SOFTWARE\Tavrin\Fenlow'
flags() {  # Init Tray CapLock ScrLock NumLock CapLockMsg ScrLockMsg NumLockMsg
    local names=(Init Tray CapLock ScrLock NumLock CapLockMsg ScrLockMsg NumLockMsg) i=0
    for v in "$@"; do "$WINE" reg add "$key" /v "${names[$i]}" /t REG_BINARY /d "0$v" /f >/dev/null 2>&1; i=$((i + 1)); done
}
shot() { sleep "${2:-1}"; import -display "$DISPLAY" -window root -crop 1024x768+0+0 +repage "$out/$1"; }
focus_desktop() { xdotool search --name 'Wine desktop' windowfocus 2>/dev/null || true; }

# The settings window with all three lock icons chosen, Caps Lock on.
flags 0 0 1 1 1 1 0 0
"$WINE" "$build/bin/fenlow.exe" &
# The desktop comes up in its own time on a busy machine: wait for it, then for Fenlow to paint.
timeout 60 xdotool search --sync --name 'Wine desktop' >/dev/null || true
sleep 4
focus_desktop; xdotool key Caps_Lock
shot settings-and-tray.png 1.5
# The popup over the desktop: toggling Caps Lock again announces it.
xdotool key Caps_Lock
shot popup.png 0.8
# The about box, through the menu bar: Help, About...
sleep 3  # let the popup go first
xdotool mousemove 55 32 click 1; sleep 0.5; xdotool key Down Return
shot about.png 4
wineserver -k
echo "screenshots in $out"
