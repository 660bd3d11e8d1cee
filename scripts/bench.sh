#!/usr/bin/env bash
# Builds the benchmark programs in bench/, runs them under Wine in the same kind of virtual
# desktop as the tests, and prints one Markdown table: each figure for Fenlow, for the duty floor
# (bench/duty_floor.cpp: the work Fenlow must do, written plainly), for the bare floor
# (bench/floor.cpp) and Fenlow's ratio to each. Nothing here passes or fails on a time.
# Where this machine cannot run 32-bit programs (scripts/arch.sh), the programs run as the 64-bit
# build and the table says so; the 32-bit release is built as well for its size. The table goes to
# bench-table.md in the build folder, next to the raw figures in bench.log (bench/table.py makes
# it from them).
# Usage: scripts/bench.sh
#   FENLOW_BENCH_BUILD=dir      build directory of the 32-bit release (default: FENLOW_BUILD, else
#                               build/, as for the tests; the 64-bit build goes in dir-x64/)
#   BENCH_HOOK_RUNS, BENCH_HOOK_CALLS, BENCH_LAUNCHES, BENCH_PRESSES, BENCH_IDLE_SECONDS, BENCH_REFRESHES
#                               other counts, e.g. smaller ones for a quick look (the table says
#                               which were used)
set -euo pipefail
. "$(dirname "$0")/common.sh"
build=${FENLOW_BENCH_BUILD:-${FENLOW_BUILD:-$top/build}}
hook_runs=${BENCH_HOOK_RUNS:-3}
hook_calls=${BENCH_HOOK_CALLS:-1000000}
launches=${BENCH_LAUNCHES:-10}
presses=${BENCH_PRESSES:-50}
idle=${BENCH_IDLE_SECONDS:-60}
refreshes=${BENCH_REFRESHES:-10000}

say() { echo "bench: $*" >&2; }

# The same toolchain and flags as the shipped build; the test library supplies the driver.
say "building the benchmark programs into $build"
export FENLOW_TESTS=ON
FENLOW_XVFB=${FENLOW_XVFB:-1}
# A prefix of its own: a test run may use the same build at the same time.
fenlow_session "$build" bench-prefix keeper bench_all >&2
if [ "$run_build" = "$build" ]; then
    measured="the 32-bit build (i686-w64-mingw32), as released"
else
    measured="the 64-bit build (x86_64-w64-mingw32, 64-bit Wine, win64 prefix) of the same sources: this machine cannot run 32-bit code; the release is the 32-bit build"
fi
# Other work may go on in the same tree: say what was built.
source_state="commit $(git -C "$top" rev-parse --short HEAD 2>/dev/null || echo unknown)"
changed=$(git -C "$top" status --porcelain -- dorn32 bench 2>/dev/null | awk '{print $2}' | tr '\n' ' ')
[ -n "$changed" ] && source_state="$source_state with uncommitted changes to ${changed% }"

log=$build/bench.log
: >"$log"
# Other work on the machine shows in every figure: say how busy it was, before and after.
load=$(cut -d' ' -f1-3 /proc/loadavg)
say "in-process: hook ($hook_runs runs of $hook_calls calls each) and refresh"
"$WINE" "$run_build/bin/bench_inproc.exe" --runs "$hook_runs" --calls "$hook_calls" 2>/dev/null | tr -d '\r' | tee -a "$log" >&2
say "driven: start-up, latency, ${idle} s idle, $refreshes refreshes"
"$WINE" "$run_build/bin/bench_driver.exe" --launches "$launches" --presses "$presses" --idle-seconds "$idle" \
     --refreshes "$refreshes" 2>/dev/null | tr -d '\r' | tee -a "$log" >&2
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
for exe in fenlow fenlow_nofont duty_floor floor; do
    echo "BENCH size_${exe} $(stat -c %s "$run_build/bin/$exe.exe")" >>"$log"
    echo "BENCH release_size_${exe} $(stat -c %s "$build/bin/$exe.exe")" >>"$log"
done

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
machine="$(uname -m), ${cpu:-unknown CPU}, $(nproc) cores, $(awk '/MemTotal/ {printf "%.1f GiB", $2/1048576}' /proc/meminfo) RAM, $(. /etc/os-release && echo "$PRETTY_NAME"), $("$WINE" --version); load average $load before the run, $load_after after it"

python3 "$top/bench/table.py" "$log" "$machine" "$(date -u '+%Y-%m-%d %H:%M UTC')" "$source_state" "$measured" \
        >"$build/bench-table.md"
cat "$build/bench-table.md"
say "table saved in $build/bench-table.md, raw figures in $log"
