#!/usr/bin/env bash
# Host checks of the sources: a second compiler, two analysers and the format. GCC stays the release compiler.
# Usage: scripts/analyse.sh [clang|clang-tidy|cppcheck|clang-format|all] [clang-tree]
#   clang       builds fenlow.exe and fenlow_unit.exe with clang and lld, -Wall -Wextra -Werror
#   clang-tidy  runs clang-tidy (.clang-tidy) over dorn32/ with the clang tree's compile commands
#   cppcheck    runs cppcheck over dorn32/
#   clang-format  checks that every C++ file git tracks is as clang-format (.clang-format) writes it
# The clang tree defaults to build/clang. Each check fails on the first finding.
set -euo pipefail
. "$(dirname "$0")/common.sh"
what=${1:-all}
tree=${2:-$top/build/clang}
jobs=$(nproc)

need()
{
    command -v "$1" >/dev/null || { echo "analyse: $1 not found; scripts/setup.sh installs it" >&2; exit 1; }
}

configure_clang()
{
    need clang++
    need ld.lld
    fenlow_configure "$tree" "$top/cmake/clang-mingw-i686.cmake" -DFENLOW_WERROR=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
}

# NUL-separated: a path may hold spaces.
sources()
{
    find "$top/dorn32" -name '*.cpp' -print0 | sort -z
}

run_clang()
{
    configure_clang
    cmake --build "$tree" -j "$jobs" --target fenlow fenlow_unit
}

run_clang_tidy()
{
    need clang-tidy
    configure_clang
    # One file per call so that the cores share the work; any finding fails the run. The count of
    # warnings it suppressed in system headers is noise.
    sources | xargs -0 -P "$jobs" -n 1 clang-tidy -p "$tree" --quiet 2>&1 | { grep -v ' warnings generated\.$' || true; }
}

run_cppcheck()
{
    need cppcheck
    cppcheck --enable=warning,style,performance,portability --std=c++17 --library=windows --platform=win32A \
             --inline-suppr --error-exitcode=1 --quiet \
             -I "$top/dorn32" -I "$top/dorn32/fenlow" -I "$top/dorn32/fenlow/resources" "$top/dorn32"
}

run_clang_format()
{
    need clang-format
    need git
    local file unformatted=0 files=0
    while IFS= read -r -d '' file; do
        [ -f "$top/$file" ] || continue
        files=$((files + 1))
        if ! clang-format --dry-run -Werror "$top/$file" >/dev/null 2>&1; then
            echo "analyse: not clang-formatted: $file (clang-format -i $file)"
            unformatted=$((unformatted + 1))
        fi
    done < <(git -C "$top" ls-files -z -- '*.cpp' '*.h')
    [ "$files" -gt 0 ] || { echo "analyse: git lists no C++ file under $top" >&2; return 1; }
    [ "$unformatted" -eq 0 ] || { echo "analyse: $unformatted of $files files not clang-formatted" >&2; return 1; }
}

case $what in
    clang) run_clang ;;
    clang-tidy) run_clang_tidy ;;
    cppcheck) run_cppcheck ;;
    clang-format) run_clang_format ;;
    all) run_clang && run_clang_tidy && run_cppcheck && run_clang_format ;;
    *) echo "usage: $0 [clang|clang-tidy|cppcheck|clang-format|all] [clang-tree]" >&2; exit 2 ;;
esac
echo "analyse: $what passed"
