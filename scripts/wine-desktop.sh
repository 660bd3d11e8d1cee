# Sourced by the run and test scripts: a Wine prefix with a virtual desktop, on $DISPLAY or on Xvfb.
# desktop_start [prefix] starts it and exports WINEPREFIX, DISPLAY, WINEDEBUG; desktop_stop ends
# everything desktop_start began.

. "$(dirname "${BASH_SOURCE[0]}")/arch.sh"
if [ "$FENLOW_RUN_ARCH" = x86_64 ]; then FENLOW_WINEARCH=win64; else FENLOW_WINEARCH=win32; fi
FENLOW_TEMPLATE=${FENLOW_TEMPLATE:-${XDG_CACHE_HOME:-$HOME/.cache}/fenlow/prefix-template-$FENLOW_WINEARCH}
_started_xvfb=""

_make_template() {
    # One prepared prefix, copied for every run: wineboot costs ~15 s, a copy ~2 s.
    [ -f "$FENLOW_TEMPLATE/.fenlow-ready" ] && return 0
    rm -rf "$FENLOW_TEMPLATE"; mkdir -p "$FENLOW_TEMPLATE"
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
    touch "$FENLOW_TEMPLATE/.fenlow-ready"
}

desktop_start() {
    local prefix=${1:-$(mktemp -d /tmp/fenlow-wine.XXXXXX)/prefix}
    if [ -z "${DISPLAY:-}" ] || [ "${FENLOW_XVFB:-0}" = 1 ]; then
        local n=90
        while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
        Xvfb :$n -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
        _started_xvfb=$!
        export DISPLAY=:$n
        for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    fi
    _make_template
    rm -rf "$prefix"; mkdir -p "$(dirname "$prefix")"
    cp -a "$FENLOW_TEMPLATE" "$prefix"
    export WINEPREFIX=$prefix WINEARCH=$FENLOW_WINEARCH WINEDEBUG=${WINEDEBUG:--all}
    # One wineserver for the whole run keeps each program start cheap.
    wineserver -p
}

desktop_stop() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
    fi
    if [ -n "$_started_xvfb" ]; then
        kill "$_started_xvfb" 2>/dev/null || true
        wait "$_started_xvfb" 2>/dev/null || true
        _started_xvfb=""
    fi
}
