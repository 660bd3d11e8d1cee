# shellcheck shell=bash
# Sourced (through scripts/common.sh) by the run, test, screenshot and benchmark scripts: a Wine
# prefix with a virtual desktop, on $DISPLAY or on Xvfb, with Windows' standard UI fonts.
# desktop_traps sets the clean-up traps: call it before anything starts. desktop_start [prefix
# [keep]] starts the desktop (after fenlow_arch) and exports WINEPREFIX, DISPLAY, WINEDEBUG; with
# "keep" an existing prefix is used as it is. desktop_run_dir PARENT NAME makes a folder of this
# run's own for a prefix (desktop_start without a prefix makes one in TMPDIR). desktop_stop ends
# everything desktop_start began, at any point, and deletes the run's folder.

# In a finished template, written last.
_ready_marker=.fenlow-ready-v3
_template=""
_started_xvfb=""
_xvfb_dir=""
_desktop_prefix=""
_making_template=""
_run_dir=""
_run_lock=""

desktop_traps() {
    trap desktop_stop EXIT
    trap 'exit 129' HUP
    trap 'exit 130' INT
    trap 'exit 143' TERM
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
    [ -f "$_template/$_ready_marker" ] && return 0
    remove_made "$_template" || return 1
    mark_made "$_template"
    _making_template=$_template
    # The template's own Wine settings, for these commands only.
    # shellcheck disable=SC2030
    (
        export WINEPREFIX=$_template WINEARCH=$FENLOW_WINEARCH WINEDEBUG=-all
        "$WINE" wineboot -i >/dev/null 2>&1
        # Keyboard hooks and lock-key states only work inside a virtual desktop.
        "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
        "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null 2>&1
        # Wine's light theme draws links (the hot-tracking colour) light grey on its light grey
        # dialogs; Windows' own default is this blue.
        "$WINE" reg add 'HKCU\Control Panel\Colors' /v HotTrackingColor /d '0 102 204' /f >/dev/null 2>&1
        # A crash must end the process, not wait on a dialog.
        "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wineserver -w
    )
    _install_fonts "$_template"
    touch "$_template/$_ready_marker"
    _making_template=""
}

# A run holds the lock in its folder while it lives: its Wine programs too, as they inherit it.
_run_lock_name=.fenlow-run.lock

# desktop_run_dir PARENT NAME: sets _run_dir to a new, marked folder PARENT/NAME.XXXXXX of this
# run's own, which desktop_stop deletes. Runs side by side each have one, so none deletes
# another's. Folders of runs that died over a day ago (marked, their lock free) go first, and so
# does the shared PARENT/NAME that runs before used.
desktop_run_dir() {
    local parent=$1 name=$2 old
    mkdir -p -- "$parent"
    for old in "$parent/$name" "$parent/$name".??????; do
        # Only folders these scripts made (common.sh's marker); a run that still holds its lock
        # is alive, however old.
        # shellcheck disable=SC2154
        if [ -f "$old/$made_marker" ] && [ -n "$(find "$old" -maxdepth 0 -mmin +1440)" ] &&
           { [ ! -f "$old/$_run_lock_name" ] || flock -n "$old/$_run_lock_name" true; }; then
            remove_made "$old" || true
        fi
    done
    _run_dir=$(mktemp -d "$parent/$name.XXXXXX")
    exec {_run_lock}>"$_run_dir/$_run_lock_name"
    flock "$_run_lock"
    mark_made "$_run_dir"
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
    : "${FENLOW_WINEARCH:?fenlow_arch decides it first}"
    # v3: with the fonts and Windows' link colour; templates made before are left alone and a new
    # one is made.
    _template=${FENLOW_TEMPLATE:-${XDG_CACHE_HOME:-$HOME/.cache}/fenlow/prefix-template-v3-$FENLOW_WINEARCH}
    if [ -z "$prefix" ]; then
        desktop_run_dir "${TMPDIR:-/tmp}" fenlow-wine
        prefix=$_run_dir/prefix
    fi
    if [ -z "${DISPLAY:-}" ] || [ "${FENLOW_XVFB:-0}" = 1 ]; then
        _start_xvfb
    fi
    if [ "$keep" = keep ] && [ -d "$prefix" ]; then
        _desktop_prefix=$prefix
        _install_fonts "$prefix"
    else
        remove_made "$prefix"
        mkdir -p "$(dirname "$prefix")" "$(dirname "$_template")"
        # One run at a time makes the shared template or copies it.
        local lock
        exec {lock}>"$_template.lock"
        flock "$lock"
        _make_template
        _desktop_prefix=$prefix
        cp -a "$_template" "$prefix"
        exec {lock}>&-
    fi
    # shellcheck disable=SC2031
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
    if [ -n "$_run_dir" ]; then
        remove_made "$_run_dir" || true
        _run_dir=""
    fi
    if [ -n "$_run_lock" ]; then
        exec {_run_lock}>&-
        _run_lock=""
    fi
}
