# shellcheck shell=bash
# Sourced by the scripts: the checkout's top folder ($top), the one configure step, the folders
# the scripts may delete, and the preamble the run, test, screenshot and benchmark scripts share.

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$top/scripts/arch.sh"
. "$top/scripts/wine-desktop.sh"

# In every folder these scripts make, from the start: only such a folder is ever deleted.
made_marker=.fenlow-made

# mark_made FOLDER: makes FOLDER if need be and marks it as made here.
mark_made() {
    mkdir -p -- "$1" && touch -- "$1/$made_marker"
}

# remove_made FOLDER: deletes FOLDER if these scripts made it (the marker inside) or it is empty;
# refuses anything else.
remove_made() {
    [ -e "$1" ] || return 0
    if [ -f "$1/$made_marker" ] || rmdir -- "$1" 2>/dev/null; then
        rm -rf -- "$1"
    else
        echo "scripts: $1 was not made by these scripts; not deleting it" >&2
        return 1
    fi
}

# fenlow_configure TREE TOOLCHAIN_FILE [CMAKE_ARGUMENT...]: a Release build of the checkout in TREE.
# The callers pass the same settings whatever is switched off (the test settings without tests).
fenlow_configure() {
    local tree=$1 toolchain=$2
    shift 2
    cmake -S "$top" -B "$tree" --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
          "$@" >/dev/null
}

# fenlow_build BUILD [TARGET...]: configures and builds the 32-bit release in BUILD and, where this
# machine cannot run 32-bit programs (fenlow_arch, decided before), the 64-bit twin that runs in its
# place. The targets default to all; FENLOW_TESTS=OFF leaves the test programs out.
fenlow_build() {
    local build=$1 run_build wine_tests=ON targets=()
    shift
    [ $# -eq 0 ] || targets=(--target "$@")
    run_build=$(fenlow_run_build "$build")
    [ "$run_build" = "$build" ] || wine_tests=OFF
    # One run at a time configures and builds this folder (and its 64-bit twin); the lock goes
    # with the function's end or the script's.
    local lock
    mkdir -p -- "$build"
    exec {lock}>"$build/.fenlow-build.lock"
    if ! flock -n "$lock"; then
        echo "setup: another run is building $build; waiting for it"
        flock "$lock"
    fi
    fenlow_configure "$build" "$top/cmake/mingw-i686.cmake" -DFENLOW_TESTS="${FENLOW_TESTS:-ON}" \
                     -DFENLOW_WINE_TESTS=$wine_tests
    cmake --build "$build" -j "$(nproc)" "${targets[@]}"
    if [ "$run_build" != "$build" ]; then
        echo "setup: this machine cannot run 32-bit programs; building the 64-bit twin in $run_build to run here"
        fenlow_configure "$run_build" "$top/cmake/mingw-x86_64.cmake" -DFENLOW_TESTS="${FENLOW_TESTS:-ON}" \
                         -DFENLOW_SHIPPED_EXE="$build/bin/fenlow.exe"
        cmake --build "$run_build" -j "$(nproc)" "${targets[@]}"
    fi
    exec {lock}>&-
}

# fenlow_session BUILD PREFIX keeper|no-keeper [TARGET...]: the start of every script that runs
# Fenlow's programs. Sets the clean-up traps; installs what is missing and builds BUILD
# (scripts/setup.sh, which takes FENLOW_TESTS and the targets); only then, with Wine installed,
# decides which build runs here and sets run_build to it; starts the desktop (FENLOW_XVFB=1: on
# Xvfb even where there is a display) in a prefix of this run's own in run_build/PREFIX.XXXXXX,
# deleted at the end, or with PREFIX "user" in the user's own prefix, kept between runs; with
# "keeper", a hidden program holds the desktop open.
fenlow_session() {
    local build=$1 prefix=$2 keeper=$3
    shift 3
    desktop_traps
    "$top/scripts/setup.sh" "$build" "$@"
    fenlow_arch
    run_build=$(fenlow_run_build "$build")
    if [ "$prefix" = user ]; then
        desktop_start "$(_user_prefix)" keep
    else
        desktop_run_dir "$run_build" "$prefix"
        # shellcheck disable=SC2154  # desktop_run_dir (wine-desktop.sh) sets it
        desktop_start "$_run_dir/prefix"
    fi
    if [ "$keeper" = keeper ]; then
        # The desktop closes with its last program.
        "$WINE" "$run_build/bin/keeper.exe" >/dev/null 2>&1 &
        sleep 1
    fi
}

# The prefix that holds the user's settings: FENLOW_PREFIX, else one per user (and per Wine
# architecture, as a prefix is either).
_user_prefix() {
    local prefix=${XDG_DATA_HOME:-$HOME/.local/share}/fenlow/wineprefix
    [ "$FENLOW_WINEARCH" = win32 ] || prefix=$prefix-$FENLOW_WINEARCH
    echo "${FENLOW_PREFIX:-$prefix}"
}
