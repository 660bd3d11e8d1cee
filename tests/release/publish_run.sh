#!/usr/bin/env bash
# Publishes a signed-release run that passed: LINK moves to RUN (a folder LINK.XXXXXX made by
# signed_release.sh) in one rename, then earlier runs go. Runs that finish together take turns
# (a lock next to LINK), and the folder LINK names, now or just before, is never deleted: the
# install test may be reading it.
# Usage: publish_run.sh LINK RUN
set -euo pipefail
link=$1 work=$2
# shellcheck source=scripts/common.sh
. "$(dirname "$0")/../../scripts/common.sh"
[ -f "$work/$made_marker" ] || { echo "publish: $work is not a run's folder" >&2; exit 1; }

exec {lock}>"$link.lock"
flock "$lock"
# Marked before LINK names it, so that nothing can take it for a run that failed.
touch "$work/.fenlow-passed"
# Read under the lock: no other run moves LINK meanwhile.
before=$(readlink "$link" 2>/dev/null || true)
ln -sfn "${work##*/}" "$work.link"
mv -T "$work.link" "$link"
now=$(readlink "$link")
# Earlier runs go: those that passed, but for the one LINK named until now, and those that died
# long ago (a run takes minutes).
for old in "$link".??????; do
    name=${old##*/}
    if [ -d "$old" ] && [ "$name" != "$now" ] && [ "$name" != "$before" ] &&
       { [ -f "$old/.fenlow-passed" ] || [ -n "$(find "$old" -maxdepth 0 -mmin +1440)" ]; }; then
        remove_made "$old" || true
    fi
done
