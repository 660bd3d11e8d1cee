#!/usr/bin/env bash
# Runs in one build folder each make their Wine prefix the way fenlow_session does: one run ends
# (its own exit trap) while the other still uses its prefix, which must survive; each run's
# folder goes with it. A later run clears the folders of runs that died long ago, and only those.
# Usage: run_prefix_test.sh SOURCE_DIR
set -euo pipefail
src=$1
# shellcheck source=tests/release/host_test.sh
. "$src/tests/release/host_test.sh"
builddir=$scratch/build

# start_run NAME: a run in the background, with its prefix in use until NAME.stop appears.
start_run() {
    (
        # shellcheck source=scripts/common.sh
        . "$src/scripts/common.sh"
        trap desktop_stop EXIT
        desktop_run_dir "$builddir" wineprefix
        mkdir "$_run_dir/prefix"
        echo "$1" >"$_run_dir/prefix/owner"
        echo "$_run_dir" >"$scratch/$1.dir"
        while [ ! -e "$scratch/$1.stop" ]; do
            [ "$(cat "$_run_dir/prefix/owner" 2>/dev/null)" = "$1" ] || { echo "$1" >>"$scratch/lost"; break; }
            sleep 0.05
        done
    ) &
    wait_for "$scratch/$1.dir"
}
stop_run() {  # NAME PID
    touch "$scratch/$1.stop"
    wait "$2" || fail "run $1 ended with an error"
}

start_run first; first=$!
start_run second; second=$!
a=$(cat "$scratch/first.dir") b=$(cat "$scratch/second.dir")
[ "$a" != "$b" ] || fail "both runs use $a"
stop_run second "$second"
[ "$(cat "$a/prefix/owner" 2>/dev/null)" = first ] || fail "the first run's prefix went with the second run"
[ ! -e "$b" ] || fail "the second run left $b"
stop_run first "$first"
[ ! -e "$a" ] || fail "the first run left $a"
[ ! -s "$scratch/lost" ] || fail "a prefix went while in use: $(tr '\n' ' ' <"$scratch/lost")"

# Leftovers a day and more old: kind, then whether the next run may delete it.
start_run live; live=$!
live_dir=$(cat "$scratch/live.dir")
# Killed: its exit trap never runs.
start_run dead; dead=$!
kill -9 "$dead"; wait "$dead" 2>/dev/null || true
dead_dir=$(cat "$scratch/dead.dir")
sleep 0.2  # its last sleep lets go of the lock
mkdir -p "$builddir/wineprefix.unmark" && touch "$builddir/wineprefix.unmark/keep"
mkdir -p "$builddir/wineprefix" && touch "$builddir/wineprefix/.fenlow-made"
cases="$live_dir kept
$dead_dir deleted
$builddir/wineprefix.unmark kept
$builddir/wineprefix deleted"
while read -r dir _; do touch -d '2 days ago' "$dir"; done <<<"$cases"
start_run next; next=$!
while read -r dir want; do
    got=kept; [ -e "$dir" ] || got=deleted
    [ "$got" = "$want" ] || fail "${dir#"$builddir"/}: $got, not $want"
done <<<"$cases"
stop_run next "$next"
stop_run live "$live"
finish run_prefix
