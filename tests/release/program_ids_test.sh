#!/usr/bin/env bash
# installer/ProgramIds.cmake reads the window class and the Exit command's id as the compiler
# would: any spacing, a trailing comment; a value it cannot take as it is stops the configure.
# Usage: program_ids_test.sh SOURCE_DIR   (CMAKE: the cmake to run, default cmake)
set -euo pipefail
src=$1 cmake=${CMAKE:-cmake}
# shellcheck source=tests/release/host_test.sh
. "$src/tests/release/host_test.sh"
probe=$scratch/probe.cmake
# shellcheck disable=SC2016  # CMake's variables, for CMake
printf 'include(%s/installer/ProgramIds.cmake)\nmessage("ids ${FENLOW_MAIN_CLASS} ${FENLOW_IDM_TRAY_EXIT}")\n' "$src" >"$probe"

# read TREE: what the installer would be given, or "error".
read_ids() {
    (cd "$1" && "$cmake" -DFENLOW_RESOURCES_DIR="$1/res" -P "$probe" 2>&1) | sed -n 's/^ids //p' | grep . || echo error
}

# DornApp.h's line | resource.h's lines (printf escapes) | expected
while IFS='|' read -r class_line exit_lines want; do
    tree=$scratch/tree
    rm -rf "$tree"; mkdir -p "$tree/dorn32" "$tree/res"
    printf '%b\n' "$class_line" >"$tree/dorn32/DornApp.h"
    printf '%b\n' "$exit_lines" >"$tree/res/resource.h"
    got=$(read_ids "$tree")
    [ "$got" = "$want" ] || fail "resource.h '$exit_lines', DornApp.h '$class_line': got '$got', want '$want'"
done <<'TABLE'
#define DORN_DEFAULT_CLASS_NAME "cls"|#define IDM_TRAY_EXIT 40006|cls 40006
#define\tDORN_DEFAULT_CLASS_NAME\t"cls_2"|#define\tIDM_TRAY_EXIT\t40011|cls_2 40011
#define  DORN_DEFAULT_CLASS_NAME   "c3"  // the main window|#define IDM_TRAY_EXIT    40012   // quits at once|c3 40012
#define DORN_DEFAULT_CLASS_NAME "c4" /* registered once */|#define IDM_TRAY_EXIT 40013 /* the tray menu's Exit */ |c4 40013
  # define DORN_DEFAULT_CLASS_NAME "c5"|\t#  define IDM_TRAY_EXIT 40014\t|c5 40014
#define DORN_DEFAULT_CLASS_NAME "c6"|#define IDM_TRAY_EXIT_OLD 5\n#define IDM_TRAY_EXITS 6\n#define IDM_TRAY_EXIT 40015|c6 40015
#define DORN_DEFAULT_CLASS_NAME "c7"|#define IDM_TRAY_EXIT (40000 + 6)|error
#define DORN_DEFAULT_CLASS_NAME "c8"|#define IDM_TRAY_EXIT 40006\n#define IDM_TRAY_EXIT 40007|error
#define DORN_DEFAULT_CLASS_NAME "c9"|#define IDM_TRAY_EXIT 40006x|error
#define DORN_DEFAULT_CLASS_NAME "c10"|#define IDM_TRAY_EXIT 40006 */|error
#define DORN_DEFAULT_CLASS_NAME c11|#define IDM_TRAY_EXIT 40006|error
TABLE

# The product's own headers read as they are.
got=$(cd "$src" && "$cmake" -DFENLOW_RESOURCES_DIR="$src/dorn32/fenlow/resources" -P "$probe" 2>&1 | sed -n 's/^ids //p')
[[ "$got" =~ ^[A-Za-z0-9_]+\ [0-9]+$ ]] || fail "the product's headers: got '$got'"
finish program_ids
