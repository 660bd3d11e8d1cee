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

# LogPixels where the desktop and the font system read it. The desktop that reg started meanwhile
# still has the old density: it goes, and the next program starts a new one.
density() {
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    "$WINE" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
        /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wineserver -k
    wineserver -w
}

# The settings window, the popup and the about box; $1 $2 $3 name the pictures, $4 is the wait in
# seconds before the first (long enough for the popup to go where it would cover the window).
take_set() {
    # The settings window with all three lock icons chosen, Caps Lock on.
    flags 0 0 1 1 1 1 0 0
    "$WINE" "$build/bin/fenlow.exe" &
    # The desktop comes up in its own time on a busy machine: wait for it, then for Fenlow to paint.
    timeout 60 xdotool search --sync --name 'Wine desktop' >/dev/null || true
    sleep 4
    focus_desktop; xdotool key Caps_Lock
    shot "$1" "$4"
    # The popup over the desktop: toggling Caps Lock again announces it.
    xdotool key Caps_Lock
    shot "$2" 0.8
    # The about box: a click on the caption brings the window to the front, then the keys go through
    # the menu bar (File, then Help, About...), the same at any density.
    sleep 3  # let the popup go first
    xdotool mousemove 150 8 click 1
    sleep 0.5
    xdotool key alt+f Right Return
    shot "$3" 4
    wineserver -k
    wineserver -w
}

take_set settings-and-tray.png popup.png about.png 1.5
# The same at 192 dpi (200 %).
density 192
take_set settings-192.png popup-192.png about-192.png 4
echo "screenshots in $out"
