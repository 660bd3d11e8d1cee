#!/usr/bin/env bash
# Two signed-release runs that pass at the same moment publish together (publish_run.sh), many
# times over, while a reader follows the link: the link always names a whole run, and at the end
# it names one that holds its marker, with only it and the run before left.
# Usage: publish_race_test.sh SOURCE_DIR [ROUNDS]
set -euo pipefail
src=$1 rounds=${2:-20}
# shellcheck source=tests/release/host_test.sh
. "$src/tests/release/host_test.sh"
# shellcheck source=scripts/common.sh
. "$src/scripts/common.sh"
publish=$src/tests/release/publish_run.sh
link=$scratch/signed

new_run() {  # a run's folder as signed_release.sh makes it
    local run
    run=$(mktemp -d "$link.XXXXXX")
    mark_made "$run"
    echo "$run"
}

"$publish" "$link" "$(new_run)"
# Through the link in one lookup: a dangling or half-deleted run shows as a missing marker.
: >"$scratch/reading"
(
    while [ -e "$scratch/reading" ]; do
        [ -f "$link/$made_marker" ] || readlink "$link" >>"$scratch/missing" || echo "no link" >>"$scratch/missing"
    done
) &
reader=$!

for round in $(seq "$rounds"); do
    a=$(new_run) b=$(new_run)
    "$publish" "$link" "$a" & pa=$!
    "$publish" "$link" "$b" & pb=$!
    wait "$pa" || fail "round $round: publishing ${a##*/} failed"
    wait "$pb" || fail "round $round: publishing ${b##*/} failed"
    now=$(readlink "$link")
    [ "$now" = "${a##*/}" ] || [ "$now" = "${b##*/}" ] || fail "round $round: the link names $now, neither run"
    [ -f "$link/$made_marker" ] || fail "round $round: the link names $now, which is gone"
    left=$(find "$scratch" -maxdepth 1 -name 'signed.??????' | wc -l)
    [ "$left" -le 2 ] || fail "round $round: $left runs left, not at most the last two"
done
rm "$scratch/reading"
wait "$reader"
if [ -s "$scratch/missing" ]; then
    fail "the link named a missing run $(wc -l <"$scratch/missing") times, e.g. $(head -1 "$scratch/missing")"
fi
finish publish_race
