# shellcheck shell=bash
# Sourced by the host tests of the scripts: a scratch folder that goes at exit with the test's
# background jobs, failures counted, and the end.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/fenlow-hosttest.XXXXXX")
failures=0
# shellcheck disable=SC2046  # one pid a word
trap 'kill $(jobs -p) 2>/dev/null || true; wait || true; rm -rf -- "$scratch"' EXIT
trap 'exit 1' INT TERM

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# wait_for FILE: up to 10 s for FILE to appear.
wait_for() {
    local _
    for _ in $(seq 200); do
        [ -e "$1" ] && return 0
        sleep 0.05
    done
    fail "$1 did not appear"
    return 1
}

# finish NAME: the verdict and the exit status.
finish() {
    if [ "$failures" -eq 0 ]; then echo "$1: ok"; exit 0; fi
    echo "$1: $failures failed"
    exit 1
}
