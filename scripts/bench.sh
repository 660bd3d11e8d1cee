#!/usr/bin/env bash
# Builds the benchmark programs in bench/, runs them under Wine in the same kind of virtual
# desktop as the tests, and prints one Markdown table: each figure for Fenlow, for the floor
# (bench/floor.cpp) and their ratio. Nothing here passes or fails on a time.
# Usage: scripts/bench.sh
#   FENLOW_BENCH_BUILD=dir      build directory (default build-bench/)
#   BENCH_HOOK_RUNS, BENCH_LAUNCHES, BENCH_PRESSES, BENCH_IDLE_SECONDS, BENCH_REFRESHES
#                               other counts, e.g. smaller ones for a quick look (the table says
#                               which were used)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${FENLOW_BENCH_BUILD:-$top/build-bench}
hook_runs=${BENCH_HOOK_RUNS:-3}
launches=${BENCH_LAUNCHES:-10}
presses=${BENCH_PRESSES:-50}
idle=${BENCH_IDLE_SECONDS:-60}
refreshes=${BENCH_REFRESHES:-10000}

say() { echo "bench: $*" >&2; }

# The README's set-up installs all of this; run it only if something is missing.
for tool in cmake i686-w64-mingw32-g++-posix i686-w64-mingw32-windres wine Xvfb python3; do
    if ! command -v "$tool" >/dev/null 2>&1 || [ ! -d /usr/src/googletest ]; then
        say "installing what is missing (scripts/setup.sh)"
        FENLOW_TESTS=OFF "$top/scripts/setup.sh" "$build" >&2
        break
    fi
done

say "building into $build"
# The same toolchain and flags as the shipped build; the test library supplies the driver.
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DFENLOW_TESTS=ON >/dev/null
cmake --build "$build" --target bench_all -j "$(nproc)" >/dev/null
# Other work may go on in the same tree: say what was built.
source_state="commit $(git -C "$top" rev-parse --short HEAD 2>/dev/null || echo unknown)"
changed=$(git -C "$top" status --porcelain -- dorn32 2>/dev/null | awk '{print $2}' | tr '\n' ' ')
[ -n "$changed" ] && source_state="$source_state with uncommitted changes to ${changed% }"

. "$top/scripts/wine-desktop.sh"
FENLOW_XVFB=${FENLOW_XVFB:-1}
trap desktop_stop EXIT INT TERM
desktop_start "$build/wineprefix" >/dev/null 2>&1
# The desktop closes with its last program: a hidden keeper holds it open for the run.
wine "$build/bin/keeper.exe" >/dev/null 2>&1 &
sleep 1

log=$build/bench.log
: >"$log"
# Other work on the machine shows in every figure: say how busy it was.
load=$(cut -d' ' -f1-3 /proc/loadavg)
say "in-process: hook ($hook_runs runs of a million calls each) and refresh"
wine "$build/bin/bench_inproc.exe" --runs "$hook_runs" 2>/dev/null | tr -d '\r' | tee -a "$log" >&2
say "driven: start-up, latency, ${idle} s idle, $refreshes refreshes"
wine "$build/bin/bench_driver.exe" --launches "$launches" --presses "$presses" --idle-seconds "$idle" \
     --refreshes "$refreshes" 2>/dev/null | tr -d '\r' | tee -a "$log" >&2
for exe in fenlow fenlow_nofont floor; do
    echo "BENCH size_${exe} $(stat -c %s "$build/bin/$exe.exe")" >>"$log"
done

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
machine="$(uname -m), ${cpu:-unknown CPU}, $(nproc) cores, $(awk '/MemTotal/ {printf "%.1f GiB", $2/1048576}' /proc/meminfo) RAM, $(. /etc/os-release && echo "$PRETTY_NAME"), $(wine --version); load average before the run $load"

python3 - "$log" "$machine" "$(date -u '+%Y-%m-%d %H:%M UTC')" "$source_state" >"$build/bench-table.md" <<'EOF'
import math, sys

log, machine, date, source = sys.argv[1:5]
r = {}
for line in open(log, encoding="utf-8", errors="replace"):
    parts = line.split()
    if len(parts) == 3 and parts[0] == "BENCH":
        r[parts[1]] = float(parts[2])

def get(key):
    v = r.get(key)
    return None if v is None or math.isnan(v) else v

def fmt(v, digits=1):
    if isinstance(v, str):
        return v
    return "—" if v is None else f"{v:,.{digits}f}"

def ratio(a, b):
    if isinstance(a, str) or a is None or b is None or b == 0:
        return None
    return a / b

rows, misses = [], []

def row(figure, fen, flo, digits, target, verdict, ratio_text=None):
    if ratio_text is None:
        q = ratio(fen, flo)
        ratio_text = "—" if q is None else f"{q:.2f}×"
    rows.append(f"| {figure} | {fmt(fen, digits)} | {fmt(flo, digits)} | {ratio_text} | {target} | {verdict} |")

def within_ratio(name, fen, flo, limit):
    q = ratio(fen, flo)
    if q is None:
        return "not measured"
    if q <= limit:
        return "met"
    misses.append(f"{name}: {q:.2f}× the floor where at most {limit:.2f}× is allowed "
                  f"({fmt(fen, 4 if fen < 1 else 1)} against {fmt(flo, 4 if flo < 1 else 1)}; "
                  f"{(q / limit - 1) * 100:.0f} % over the allowed ratio)")
    return f"**missed** by {(q / limit - 1) * 100:.0f} %"

def below(name, value, limit, unit):
    if value is None:
        return "not measured"
    if value < limit:
        return "met"
    misses.append(f"{name}: {value:.1f} {unit} against under {limit} {unit} ({value - limit:.1f} {unit} over)")
    return f"**missed** by {value - limit:.1f} {unit}"

def plus_mib(name, fen, flo):
    if fen is None or flo is None:
        return "not measured"
    over = fen - flo - 1.0
    if over <= 0:
        return "met"
    misses.append(f"{name}: {fen:.2f} MiB against at most {flo:.2f} + 1 MiB ({over:.2f} MiB over)")
    return f"**missed** by {over:.2f} MiB"

def no_growth(name, growth):
    if growth is None:
        return "not measured"
    if growth <= 0:
        return "met"
    misses.append(f"{name}: grew by {growth * 1024:.0f} KiB over the refreshes")
    return f"**missed**: +{growth * 1024:.0f} KiB"

h_fen, h_flo = get("hook_ns_fenlow"), get("hook_ns_floor")
runs, calls = get("hook_runs"), get("hook_calls")
row(f"1. Hook, key 'A': ns per call (median of {runs or 0:.0f} runs of {calls or 0:,.0f})", h_fen, h_flo, 0,
    "≤ 1.10× floor", within_ratio("Hook cost", h_fen, h_flo, 1.10))

lat = get("latency_ms")
n = get("latency_presses")
row(f"2. Caps Lock to pane 1 \"CAP\": ms (median of {n or 0:.0f})", lat, None, 1, "< 50 ms",
    below("Key-to-screen latency", lat, 50, "ms"))
row("   … 90th percentile / maximum, ms", get("latency_ms_p90"), None, 1, "—", "—",
    ratio_text=f"max {fmt(get('latency_ms_max'))}")
first = get("latency_first_read")
row("   … right at the first read after SendInput returned (the hook's doing)",
    "—" if first is None else f"{first:.0f} of {n or 0:.0f}", None, 0, "—", "—", ratio_text="—")
late, late_off, n_off = get("latency_late"), get("latency_late_off"), get("latency_presses_off")
late_text = "—" if late is None else f"{late:.0f} of {n or 0:.0f} on, {late_off or 0:.0f} of {n_off or 0:.0f} off"
late_any = None if late is None else late + (late_off or 0)
row("   … right only after 500 ms, i.e. left to a later timer tick", late_text, None, 0, "none",
    "not measured" if late_any is None else ("met" if late_any == 0 else "**missed**"), ratio_text="—")
if late_any:
    misses.append(f"Timer path: pane 1 was right only after a later timer tick for {late_text} presses")
row("   … tray calls made inside SendInput per press", get("latency_tray_calls_per_press"), None, 0, "—", "—")

rf, tray, sb, ks = (get(k) for k in ("refresh_us", "refresh_tray_us", "refresh_status_us", "refresh_keystate_us"))
row("3. One refresh in-process: µs (median)", rf, None, 1, "—", "—")
parts = (tray or 0) + (sb or 0) + (ks or 0)
share = lambda v: "—" if v is None or parts == 0 else f"{100 * v / parts:.1f} % of parts"
row("   … 6 tray calls (NIM_MODIFY)", tray, None, 1, "—", share(tray), ratio_text="—")
row("   … 3 status-bar calls (SB_SETTEXTA)", sb, None, 2, "—", share(sb), ratio_text="—")
row("   … 3 GetKeyState", ks, None, 1, "—", share(ks), ratio_text="—")
row("   … in the running program: µs per refresh (WM_TIMER sent; floor: per no-op tick)", get("tick_us_fenlow"),
    get("tick_us_floor"), 1, "—", "—")

s_fen, s_flo = get("startup_ms_fenlow"), get("startup_ms_floor")
row(f"4. Start-up to last tray icon: ms (median of {get('startup_launches') or 0:.0f})", s_fen, s_flo, 1,
    "≤ 1.30× floor", within_ratio("Start-up", s_fen, s_flo, 1.30))

idle = get("idle_seconds")
c_fen, c_flo = get("idle_cpu_s_fenlow"), get("idle_cpu_s_floor")
row(f"5. CPU over {idle or 0:.0f} idle seconds: s", c_fen, c_flo, 4, "≤ 1.20× floor",
    within_ratio("Idle CPU", c_fen, c_flo, 1.20))
for key, label in (("private_start_mib", "Private memory after start-up: MiB"),
                   ("ws_start_mib", "Working set after start-up: MiB"),
                   ("private_end_mib", f"Private memory after {get('refreshes') or 0:,.0f} refreshes: MiB"),
                   ("ws_end_mib", f"Working set after {get('refreshes') or 0:,.0f} refreshes: MiB")):
    fen, flo = get(key + "_fenlow"), get(key + "_floor")
    row("   " + label, fen, flo, 2, "≤ floor + 1 MiB", plus_mib(label.replace(": MiB", ""), fen, flo))
for key, label in (("private_growth_mib", "Private memory growth from the refreshes: MiB"),
                   ("ws_growth_mib", "Working set growth from the refreshes: MiB")):
    fen, flo = get(key + "_fenlow"), get(key + "_floor")
    row("   " + label, fen, flo, 2, "none", no_growth(label.replace(" growth from the refreshes: MiB", ""), fen),
        ratio_text="—")

kib = lambda key: None if get(key) is None else get(key) / 1024
for key, label in (("size_fenlow", "6. Size of fenlow.exe: KiB"), ("size_fenlow_nofont", "   … without the icon font: KiB")):
    row(label, kib(key), kib("size_floor"), 1, "< 400 KiB",
        below(label.replace(": KiB", "").lstrip("6. …"), kib(key), 400, "KiB"))

print(f"Run {date} on {machine}; {source}.")
print()
print("| Figure | Fenlow | Floor | Ratio | Target | Verdict |")
print("|---|---:|---:|---:|---|---|")
print("\n".join(rows))
print()
if misses:
    print("Targets missed:")
    for m in misses:
        print(f"- {m}")
else:
    print("Every target met.")
nf = get("startup_ms_nofont")
if nf is not None:
    print()
    print(f"Without the icon font: start-up {fmt(nf)} ms, private memory "
          f"{fmt(get('private_start_mib_nofont'), 2)} MiB, working set {fmt(get('ws_start_mib_nofont'), 2)} MiB "
          f"after start-up.")
EOF
cat "$build/bench-table.md"
say "table saved in $build/bench-table.md, raw figures in $log"
