#!/usr/bin/env bash
# Remakes the README's screenshots (docs/screenshots/) from the real fenlow.exe in a Wine desktop on Xvfb.
set -euo pipefail
. "$(dirname "$0")/common.sh"
build=${FENLOW_BUILD:-$top/build}
out=$top/docs/screenshots
export FENLOW_TESTS=OFF
FENLOW_XVFB=1
# The pictures show the shipped 32-bit program wherever this machine can run it, whatever is forced.
unset FENLOW_ARCH FENLOW_RUN_ARCH
fenlow_session "$build" shots-prefix no-keeper >/dev/null
if [ "$run_build" != "$build" ]; then
    echo "screenshots: this machine cannot run 32-bit programs: the pictures show the 64-bit build" \
         "(its about box says so); take them where 32-bit programs run" >&2
fi
mkdir -p "$out"

# The settings by the names the program reads them under, from its own table.
key='HKCU\SOFTWARE\Tavrin\Fenlow'
table=$top/dorn32/fenlow/CSettings.cpp
mapfile -t names < <(sed -n 's/^ *{&CSettings::[A-Za-z]*, "\([A-Za-z]*\)", [A-Z_0-9]*},$/\1/p' "$table")
rows=$(grep -c '^ *{&CSettings::' "$table")
[ ${#names[@]} -gt 0 ] && [ ${#names[@]} -eq "$rows" ] ||
    { echo "screenshots: read ${#names[@]} of the $rows settings in CSettings.cpp" >&2; exit 1; }
settings_on() {  # NAME...: these settings on, every other one off
    local name value
    for name in "$@"; do
        [[ " ${names[*]} " == *" $name "* ]] || { echo "screenshots: no setting $name" >&2; exit 1; }
    done
    for name in "${names[@]}"; do
        value=0; [[ " $* " == *" $name "* ]] && value=1
        "$WINE" reg add "$key" /v "$name" /t REG_BINARY /d "0$value" /f >/dev/null 2>&1
    done
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
    settings_on CapLock ScrLock NumLock CapLockMsg
    "$WINE" "$run_build/bin/fenlow.exe" &
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
