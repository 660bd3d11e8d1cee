#!/usr/bin/env python3
"""bench/table.py with figures missing or garbled: it says which, goes on, and never calls the
targets met. Usage: bench_table_test.py SOURCE_DIR"""
import os, subprocess, sys, tempfile

table = os.path.join(sys.argv[1], "bench", "table.py")

# Every figure a target needs, each within its target.
FULL = {
    "hook_ns_fenlow": 10.0, "hook_ns_floor": 10.0, "latency_ms_max_fenlow": 20.0,
    "latency_late_fenlow": 0, "latency_late_off_fenlow": 0, "tick_us_fenlow": 5.0, "tick_us_duty": 5.0,
    "startup_ms_fenlow": 100.0, "startup_ms_duty": 100.0, "idle_cpu_s_fenlow": 0.01, "idle_cpu_s_duty": 0.01,
    "private_start_mib_fenlow": 1.0, "private_start_mib_duty": 1.0, "private_end_mib_fenlow": 1.0,
    "private_end_mib_duty": 1.0, "private_growth_mib_fenlow": 0.0, "size_fenlow": 200000,
    "release_size_fenlow": 200000, "release_size_fenlow_nofont": 150000,
}

def log_of(drop=(), replace=None, extra=()):
    lines = [f"BENCH {k} {v}" for k, v in FULL.items() if k not in drop]
    lines = [replace.get(l.split()[1], l) if replace else l for l in lines]
    return "\n".join(lines + list(extra)) + "\n"

# name, log, texts the output must hold, texts it must not, (row start, verdict it must end with)
CASES = [
    ("every figure", log_of(), ["Every target met."], ["not measured", "could not be read"], None),
    ("idle CPU missing", log_of(drop=["idle_cpu_s_fenlow"]),
     ["Not measured, so not judged: Idle CPU."], ["Every target met."], ("| 5. CPU over", "not measured |")),
    ("start-up garbled", log_of(replace={"startup_ms_fenlow": "BENCH startup_ms_fenlow 12,5"}),
     ["BENCH lines that could not be read:", "BENCH startup_ms_fenlow 12,5", "Start-up"], ["Every target met."],
     ("| 4. Start-up", "not measured |")),
    ("hook cut short", log_of(replace={"hook_ns_fenlow": "BENCH hook_ns_fenlow"}),
     ["BENCH hook_ns_fenlow", "Hook cost"], ["Every target met."], ("| 1. Hook", "not measured |")),
    ("one missed, one missing", log_of(drop=["latency_ms_max_fenlow"], extra=["BENCH release_size_fenlow 512000"]),
     ["Targets missed:", "Size of fenlow.exe: 500.0 KiB", "Not measured, so not judged: Key-to-screen maximum."],
     ["Every target met."], None),
]

failures = 0
with tempfile.TemporaryDirectory() as work:
    for name, log, want, unwanted, row in CASES:
        path = os.path.join(work, "bench.log")
        with open(path, "w", encoding="utf-8") as f:
            f.write(log)
        p = subprocess.run([sys.executable, table, path, "machine", "date", "source", "measured"],
                           capture_output=True, text=True, encoding="utf-8")
        problems = []
        if p.returncode != 0:
            problems.append(f"exit {p.returncode}: {p.stderr.strip()[-300:]}")
        problems += [f"no '{w}'" for w in want if w not in p.stdout]
        problems += [f"says '{u}'" for u in unwanted if u in p.stdout]
        if row:
            lines = [l for l in p.stdout.splitlines() if l.startswith(row[0])]
            if len(lines) != 1 or not lines[0].endswith(row[1]):
                problems.append(f"row {row[0]!r}: {lines}")
        if "could not be read" in p.stdout and "could not read" not in p.stderr:
            problems.append("the unread line is not on stderr")
        for problem in problems:
            print(f"FAIL: {name}: {problem}")
        failures += len(problems)
print("bench_table: ok" if failures == 0 else f"bench_table: {failures} failed")
sys.exit(1 if failures else 0)
