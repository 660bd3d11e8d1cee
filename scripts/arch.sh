# shellcheck shell=bash
# Sourced (through scripts/common.sh): which build of Fenlow's programs this machine can run under Wine.
# Some kernels have 32-bit emulation switched off ("32-bit emulation disabled" in dmesg): no i386
# program starts there, Wine's 32-bit loader included. The programs then run as the 64-bit build
# of the same sources, in a 64-bit prefix; the release stays the 32-bit build.
# fenlow_arch decides, and must run after the set-up has installed Wine: without Wine's 32-bit
# loader there is nothing to try. It sets FENLOW_RUN_ARCH (i686 or x86_64; FENLOW_ARCH forces
# one), FENLOW_WINEARCH (win32 or win64) and WINE (the loader to use).
# fenlow_run_build BUILD names the folder whose programs run here: BUILD itself, or BUILD-x64.

fenlow_arch() {
    if [ -z "${FENLOW_RUN_ARCH:-}" ]; then
        if [ -n "${FENLOW_ARCH:-}" ]; then
            FENLOW_RUN_ARCH=$FENLOW_ARCH
        elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
            FENLOW_RUN_ARCH=i686
        else
            FENLOW_RUN_ARCH=x86_64
        fi
    fi
    export FENLOW_RUN_ARCH
    # FENLOW_WINEARCH is for wine-desktop.sh.
    # shellcheck disable=SC2034
    if [ "$FENLOW_RUN_ARCH" = x86_64 ]; then
        FENLOW_WINEARCH=win64
        WINE=/usr/lib/wine/wine64
        # Programs that Wine starts from a 64-bit program use the same loader.
        export WINELOADER=$WINE
    else
        FENLOW_WINEARCH=win32
        WINE=wine
    fi
}

fenlow_run_build() {
    : "${FENLOW_RUN_ARCH:?fenlow_arch decides it first}"
    if [ "$FENLOW_RUN_ARCH" = x86_64 ]; then echo "$1-x64"; else echo "$1"; fi
}
