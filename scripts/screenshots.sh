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
mapfile -t names < <(sed -n 's/^ *{&CSettings::[A-Za-z]*, "\([A-Za-z]*\)"},$/\1/p' "$top/dorn32/fenlow/CSettings.cpp")
[ ${#names[@]} -eq 8 ] || { echo "screenshots: found ${#names[@]} settings in CSettings.cpp, not 8" >&2; exit 1; }
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

# The settings window with all three lock icons chosen, Caps Lock on.
settings_on CapLock ScrLock NumLock CapLockMsg
"$WINE" "$run_build/bin/fenlow.exe" &
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
