# Sourced by the run, test, screenshot and benchmark scripts: a Wine prefix with a virtual desktop,
# on $DISPLAY or on Xvfb, with Windows' standard UI fonts.
# desktop_traps sets the clean-up traps: call it before anything starts. desktop_start [prefix
# [keep]] starts the desktop and exports WINEPREFIX, DISPLAY, WINEDEBUG; with "keep" an existing
# prefix is used as it is. desktop_stop ends everything desktop_start began, at any point.

. "$(dirname "${BASH_SOURCE[0]}")/arch.sh"
if [ "$FENLOW_RUN_ARCH" = x86_64 ]; then FENLOW_WINEARCH=win64; else FENLOW_WINEARCH=win32; fi
# v2: with the fonts; templates made before are left alone and a new one is made.
FENLOW_TEMPLATE=${FENLOW_TEMPLATE:-${XDG_CACHE_HOME:-$HOME/.cache}/fenlow/prefix-template-v2-$FENLOW_WINEARCH}
# In every folder these scripts make, from the start: only such a folder is ever deleted.
_made_marker=.fenlow-made
# In a finished template, written last.
_ready_marker=.fenlow-ready-v2
_started_xvfb=""
_xvfb_dir=""
_desktop_prefix=""
_making_template=""

desktop_traps() {
    trap desktop_stop EXIT
    trap 'exit 129' HUP
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

# Deletes folder $1 if these scripts made it (a marker inside; .fenlow-ready is the older one) or
# it is empty; refuses anything else.
_remove_made() {
    [ -e "$1" ] || return 0
    if [ -f "$1/$_made_marker" ] || [ -f "$1/.fenlow-ready" ] || rmdir -- "$1" 2>/dev/null; then
        rm -rf -- "$1"
    else
        echo "wine-desktop: $1 was not made by these scripts; not deleting it" >&2
        return 1
    fi
}

# Windows' UI fonts: "MS Shell Dlg" maps to Tahoma, and Marlett draws the caption buttons. Debian's
# Wine does not load its own font folder (package fonts-wine), so the prefix gets the files.
_install_fonts() {
    local fonts=/usr/share/wine/fonts
    if [ ! -f "$fonts/tahoma.ttf" ] || [ ! -f "$fonts/marlett.ttf" ]; then
        echo "wine-desktop: Wine's fonts are missing from $fonts (scripts/setup.sh installs fonts-wine)" >&2
        return 1
    fi
    mkdir -p "$1/drive_c/windows/Fonts"
    cp -- "$fonts"/*.ttf "$1/drive_c/windows/Fonts/"
}

_make_template() {
    # One prepared prefix, copied for every run: wineboot costs ~15 s, a copy ~2 s.
    [ -f "$FENLOW_TEMPLATE/$_ready_marker" ] && return 0
    _remove_made "$FENLOW_TEMPLATE" || return 1
    mkdir -p "$FENLOW_TEMPLATE"
    touch "$FENLOW_TEMPLATE/$_made_marker"
    _making_template=$FENLOW_TEMPLATE
    (
        export WINEPREFIX=$FENLOW_TEMPLATE WINEARCH=$FENLOW_WINEARCH WINEDEBUG=-all
        "$WINE" wineboot -i >/dev/null 2>&1
        # Keyboard hooks and lock-key states only work inside a virtual desktop.
        "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
        "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null 2>&1
        # A crash must end the process, not wait on a dialog.
        "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wineserver -w
    )
    _install_fonts "$FENLOW_TEMPLATE"
    touch "$FENLOW_TEMPLATE/$_ready_marker"
    _making_template=""
}

# Starts Xvfb on a display it picks itself and reports (-displayfd): no two runs share one.
_start_xvfb() {
    _xvfb_dir=$(mktemp -d "${TMPDIR:-/tmp}/fenlow-xvfb.XXXXXX")
    : >"$_xvfb_dir/display"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$_xvfb_dir/display" >/dev/null 2>&1 &
    _started_xvfb=$!
    local n=""
    for _ in $(seq 100); do
        n=$(cat "$_xvfb_dir/display" 2>/dev/null || true)
        [ -n "$n" ] && break
        kill -0 "$_started_xvfb" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$n" ]; then
        echo "wine-desktop: Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=:$n
}

desktop_start() {
    local prefix=${1:-} keep=${2:-}
    if [ -z "$prefix" ]; then
        prefix=$(mktemp -d "${TMPDIR:-/tmp}/fenlow-wine.XXXXXX")/prefix
    fi
    if [ -z "${DISPLAY:-}" ] || [ "${FENLOW_XVFB:-0}" = 1 ]; then
        _start_xvfb
    fi
    if [ "$keep" = keep ] && [ -d "$prefix" ]; then
        _desktop_prefix=$prefix
        _install_fonts "$prefix"
    else
        _remove_made "$prefix"
        mkdir -p "$(dirname "$prefix")" "$(dirname "$FENLOW_TEMPLATE")"
        # One run at a time makes the shared template or copies it.
        local lock
        exec {lock}>"$FENLOW_TEMPLATE.lock"
        flock "$lock"
        _make_template
        _desktop_prefix=$prefix
        cp -a "$FENLOW_TEMPLATE" "$prefix"
        exec {lock}>&-
    fi
    export WINEPREFIX=$prefix WINEARCH=$FENLOW_WINEARCH WINEDEBUG=${WINEDEBUG:--all}
    # One wineserver for the whole run keeps each program start cheap.
    wineserver -p
}

desktop_stop() {
    local prefix
    for prefix in "$_desktop_prefix" "$_making_template"; do
        [ -n "$prefix" ] || continue
        WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX=$prefix wineserver -w >/dev/null 2>&1 || true
    done
    _desktop_prefix="" _making_template=""
    if [ -n "$_started_xvfb" ]; then
        kill "$_started_xvfb" 2>/dev/null || true
        wait "$_started_xvfb" 2>/dev/null || true
        _started_xvfb=""
    fi
    if [ -n "$_xvfb_dir" ]; then
        rm -rf -- "$_xvfb_dir"
        _xvfb_dir=""
    fi
}
