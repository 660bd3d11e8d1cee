#!/usr/bin/env bash
# Sets up, builds and runs every test in a fresh Wine prefix with its own desktop.
# Usage: scripts/test.sh [ctest arguments, e.g. -R Settings]
set -euo pipefail
. "$(dirname "$0")/common.sh"
build=${FENLOW_BUILD:-$top/build}
FENLOW_XVFB=${FENLOW_XVFB:-1}
fenlow_session "$build" wineprefix keeper

if [ "$run_build" = "$build" ]; then
    ctest --test-dir "$build" --output-on-failure --timeout 180 "$@"
else
    echo "test: this machine cannot run 32-bit programs: the programs run as the 64-bit build in $run_build;"
    echo "test: the 32-bit release in $build is built and checked as files (host tests and the PE check)."
    status=0
    # A filter may pick tests of one tree only: the other finding none is no failure then.
    none=error; [ $# -eq 0 ] || none=ignore
    ctest --test-dir "$build" --output-on-failure --timeout 300 -L host --no-tests=$none "$@" || status=$?
    ctest --test-dir "$run_build" --output-on-failure --timeout 180 -LE host --no-tests=$none "$@" || status=$?
    exit $status
fi
