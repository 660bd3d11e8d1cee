#!/usr/bin/env python3
"""The benchmark's Markdown table, from the BENCH lines scripts/bench.sh collects in bench.log.

Usage: bench/table.py LOG MACHINE DATE SOURCE MEASURED
Prints the table: each figure for Fenlow, the duty floor and the bare floor, Fenlow's ratio to
each, the target and the verdict, then the targets missed or not measured and the BENCH lines
that could not be read (also on stderr). MACHINE, DATE, SOURCE (the commit) and
MEASURED (which build ran) go into the lines above it.
"""
import math, sys

if len(sys.argv) != 6:
    sys.exit(__doc__.strip())

log, machine, date, source, measured = sys.argv[1:6]
r, unread = {}, []
for number, line in enumerate(open(log, encoding="utf-8", errors="replace"), 1):
    parts = line.split()
    if not parts or parts[0] != "BENCH":
        continue
    # A figure cut short or garbled counts as missing; the rest of the table still stands.
    try:
        if len(parts) != 3:
            raise ValueError
        r[parts[1]] = float(parts[2])
    except ValueError:
        unread.append(f"line {number}: {line.strip()}")
        print(f"table.py: {log}: could not read {unread[-1]}", file=sys.stderr)

def get(key):
    v = r.get(key)
    return None if v is None or math.isnan(v) else v

def fmt(v, digits=1):
    if isinstance(v, str):
        return v
    return "—" if v is None else f"{v:,.{digits}f}"

def ratio(a, b):
    if isinstance(a, str) or isinstance(b, str) or a is None or b is None or b == 0:
        return None
    return a / b

def rtext(q):
    return "—" if q is None else f"{q:.2f}×"

rows, misses, unmeasured = [], [], []

def not_measured(name):
    unmeasured.append(name)
    return "not measured"

# Fenlow, the duty floor, Fenlow ÷ duty floor, the bare floor, Fenlow ÷ bare floor.
def row(figure, fen, duty, flo, digits, target, verdict):
    rows.append(f"| {figure} | {fmt(fen, digits)} | {fmt(duty, digits)} | {rtext(ratio(fen, duty))} | "
                f"{fmt(flo, digits)} | {rtext(ratio(fen, flo))} | {target} | {verdict} |")

def within_ratio(name, fen, base, limit, base_name):
    q = ratio(fen, base)
    if q is None:
        return not_measured(name)
    if q <= limit:
        return "met"
    misses.append(f"{name}: {q:.2f}× the {base_name} where at most {limit:.2f}× is allowed "
                  f"({fmt(fen, 4 if fen < 1 else 1)} against {fmt(base, 4 if base < 1 else 1)}; "
                  f"{(q / limit - 1) * 100:.0f} % over the allowed ratio)")
    return f"**missed** by {(q / limit - 1) * 100:.0f} %"

def below(name, value, limit, unit):
    if value is None:
        return not_measured(name)
    if value < limit:
        return "met"
    misses.append(f"{name}: {value:.1f} {unit} against under {limit} {unit} ({value - limit:.1f} {unit} over)")
    return f"**missed** by {value - limit:.1f} {unit}"

def plus_mib(name, fen, base, allowed):
    if fen is None or base is None:
        return not_measured(name)
    over = fen - base - allowed
    if over <= 0:
        return "met"
    misses.append(f"{name}: {fen:.2f} MiB against at most {base:.2f} + {allowed} MiB ({over:.2f} MiB over)")
    return f"**missed** by {over:.2f} MiB"

def no_growth(name, growth):
    if growth is None:
        return not_measured(name)
    if growth <= 0:
        return "met"
    misses.append(f"{name}: grew by {growth * 1024:.0f} KiB over the refreshes")
    return f"**missed**: +{growth * 1024:.0f} KiB"

def three(key):
    return get(key + "_fenlow"), get(key + "_duty"), get(key + "_floor")

h = three("hook_ns")
runs, calls = get("hook_runs"), get("hook_calls")
row(f"1. Hook, key 'A': ns per call (median of {runs or 0:.0f} runs of {calls or 0:,.0f})", *h, 0,
    "≤ 1.10× bare floor", within_ratio("Hook cost", h[0], h[2], 1.10, "bare floor"))

n = get("latency_presses_fenlow")
lat = lambda key: (get(key + "_fenlow"), get(key + "_duty"), None)
row(f"2. Caps Lock to pane 1 \"CAP\": ms, median of {n or 0:.0f} presses to on", *lat("latency_ms"), 1, "—", "—")
row("   … 90th percentile (on)", *lat("latency_ms_p90"), 1, "—", "—")
row("   … 99th percentile (on and off)", *lat("latency_ms_p99"), 1, "—", "—")
mx = lat("latency_ms_max")
row("   … maximum (on and off)", *mx, 1, "< 50 ms", below("Key-to-screen maximum", mx[0], 50, "ms"))
def of(key, program):
    v, total = get(f"{key}_{program}"), get(f"latency_presses_{program}")
    return "—" if v is None else f"{v:.0f} of {total or 0:.0f}"
row("   … right at the first read after SendInput returned (the hook's doing)",
    of("latency_first_read", "fenlow"), of("latency_first_read", "duty"), None, 0, "—", "—")
def late(program):
    on, off = get(f"latency_late_{program}"), get(f"latency_late_off_{program}")
    n_on, n_off = get(f"latency_presses_{program}"), get(f"latency_presses_off_{program}")
    text = "—" if on is None else f"{on:.0f} of {n_on or 0:.0f} on, {off or 0:.0f} of {n_off or 0:.0f} off"
    return text, None if on is None else on + (off or 0)
late_fen, late_duty = late("fenlow"), late("duty")
row("   … right only after 500 ms, i.e. left to a later timer tick", late_fen[0], late_duty[0], None, 0, "none",
    not_measured("Timer path") if late_fen[1] is None else ("met" if late_fen[1] == 0 else "**missed**"))
if late_fen[1]:
    misses.append(f"Timer path: pane 1 was right only after a later timer tick for {late_fen[0]} presses")
row("   … tray calls made inside SendInput per press", *lat("latency_tray_calls_per_press"), 0, "—", "—")

rf = (get("refresh_us"), get("refresh_us_duty"), None)
row("3. One refresh in-process, same icons and status bar: µs (median)", *rf, 1, "—", "—")
tray, sb, ks = (get(k) for k in ("refresh_tray_us", "refresh_status_us", "refresh_keystate_us"))
parts = (tray or 0) + (sb or 0) + (ks or 0)
share = lambda v: "—" if v is None or parts == 0 else f"{100 * v / parts:.1f} % of parts"
row("   … Fenlow's 6 tray calls (NIM_MODIFY) alone", tray, None, None, 1, "—", share(tray))
row("   … its 3 status-bar calls (SB_SETTEXTA) alone", sb, None, None, 2, "—", share(sb))
row("   … its 3 GetKeyState alone", ks, None, None, 1, "—", share(ks))
row("   … hiding the hidden popup, as every idle tick does", get("inproc_hide_us"), None, None, 1, "—", "—")
row("   … of which MoveWindow to 0, 0, 0 × 0", get("inproc_hide_move_us"), None, None, 1, "—", "—")
row("   … of which ShowWindow(SW_HIDE)", get("inproc_hide_show_us"), None, None, 1, "—", "—")
t = three("tick_us")
row(f"   … in the running program: µs per WM_TIMER sent that made one refresh (median; "
    f"{get('refreshes_fenlow') or 0:,.0f} refreshes; bare floor: a no-op tick)", *t, 1, "≤ 1.10× duty floor",
    within_ratio("Time per refresh in the running program", t[0], t[1], 1.10, "duty floor"))

st = three("startup_ms")
row(f"4. Start-up to last tray icon: ms (median of {get('startup_launches') or 0:.0f})", *st, 1,
    "≤ 1.10× duty floor", within_ratio("Start-up", st[0], st[1], 1.10, "duty floor"))

for key, label in (("startup_classes_us", "its three control classes and the icon font"),
                   ("startup_version_us", "its five reads of the version resource"),
                   ("startup_settings_us", "its eight settings read from the registry"),
                   ("startup_layout_us", "its tray layout: four deletes, three adds")):
    row(f"   … in-process, once: {label}, µs", get(key), None, None, 0, "—", "—")

idle = get("idle_seconds")
c = three("idle_cpu_s")
row(f"5. CPU over {idle or 0:.0f} idle seconds: s", *c, 4, "≤ 1.10× duty floor",
    within_ratio("Idle CPU", c[0], c[1], 1.10, "duty floor"))
count = f"{get('refreshes_fenlow') or 0:,.0f}"
for key, label, judged in (("private_start_mib", "Private memory after start-up: MiB", True),
                           ("ws_start_mib", "Working set after start-up: MiB", False),
                           ("private_end_mib", f"Private memory after {count} refreshes: MiB", True),
                           ("ws_end_mib", f"Working set after {count} refreshes: MiB", False)):
    m = three(key)
    row("   " + label, *m, 2, "≤ duty floor + 0.5 MiB" if judged else "—",
        plus_mib(label.replace(": MiB", ""), m[0], m[1], 0.5) if judged else "—")
for key, label in (("private_growth_mib", "Private memory growth from the refreshes: MiB"),
                   ("ws_growth_mib", "Working set growth from the refreshes: MiB")):
    m = three(key)
    judged = key.startswith("private")
    row("   " + label, *m, 2, "none" if judged else "—",
        no_growth("Private memory", m[0]) if judged else "—")

kib = lambda key: None if get(key) is None else get(key) / 1024
sizes = lambda prefix, exe: (kib(f"{prefix}size_{exe}"), kib(f"{prefix}size_duty_floor"), kib(f"{prefix}size_floor"))
same_build = get("size_fenlow") == get("release_size_fenlow")
if not same_build:
    row("6. Size of fenlow.exe as measured (64-bit): KiB", *sizes("", "fenlow"), 1, "—", "—")
    row("   … without the icon font (64-bit): KiB", kib("size_fenlow_nofont"), None, None, 1, "—", "—")
s32 = sizes("release_", "fenlow")
row(("   … size" if not same_build else "6. Size") + " of the released 32-bit fenlow.exe: KiB", *s32, 1, "< 400 KiB",
    below("Size of fenlow.exe", s32[0], 400, "KiB"))
s32n = kib("release_size_fenlow_nofont")
row("   … 32-bit, without the icon font: KiB", s32n, None, None, 1, "< 400 KiB",
    below("Size of fenlow.exe without the font", s32n, 400, "KiB"))

print(f"Run {date} on {machine}; {source}.")
print()
print(f"Measured: {measured}.")
print()
print("| Figure | Fenlow | Duty floor | Fenlow ÷ duty | Bare floor | Fenlow ÷ bare | Target | Verdict |")
print("|---|---:|---:|---:|---:|---:|---|---|")
print("\n".join(rows))
print()
if misses:
    print("Targets missed:")
    for m in misses:
        print(f"- {m}")
# A target without its figures is neither met nor missed.
if unmeasured:
    if misses:
        print()
    print(f"Not measured, so not judged: {', '.join(unmeasured)}.")
if not misses and not unmeasured:
    print("Every target met.")
if unread:
    print()
    print("BENCH lines that could not be read:")
    for u in unread:
        print(f"- {u}")
nf = get("startup_ms_nofont")
if nf is not None:
    print()
    print(f"Without the icon font: start-up {fmt(nf)} ms, private memory "
          f"{fmt(get('private_start_mib_nofont'), 2)} MiB, working set {fmt(get('ws_start_mib_nofont'), 2)} MiB "
          f"after start-up.")
