"""Renders docs/hardening.md from "FIGURE <name> <value>" lines."""
import datetime
import platform
import subprocess
import sys

GROUPS = [
    ("Sanitizers", [
        ("asan_ubsan_tests_passed", "tests passed under AddressSanitizer + UndefinedBehaviorSanitizer (leak detection on)"),
        ("asan_ubsan_reports", "sanitizer reports (crashes, leaks, undefined behaviour)"),
        ("tsan_reports", "ThreadSanitizer reports in the concurrency stress test"),
    ]),
    ("Coverage of src/ by the public tests (gcovr)", [
        ("coverage_lines_percent", "percent of the lines of src/ that the tests labelled public reach"),
        ("coverage_branches_percent", "percent of the branches of src/ they take (throw and unreachable branches left out)"),
    ]),
    ("Concurrency stress", [
        ("stress_threads", "threads calling every exported function at once"),
        ("stress_calls_steady", "calls made while initialised throughout"),
        ("stress_calls_cycling", "calls made while one thread releases and initialises again"),
    ]),
    ("Fuzzing (libFuzzer, ASan + UBSan, per CI run)", [
        ("fuzz_load_save_execs", "executions of file bytes -> load -> save -> load -> save"),
        ("fuzz_load_save_seconds", "seconds spent on it"),
        ("fuzz_api_execs", "executions of API call sequences checked against a model"),
        ("fuzz_api_seconds", "seconds spent on it"),
        ("fuzz_crashes", "crashes, leaks or failed checks"),
    ]),
    ("File-system faults in the save", [
        ("fault_points", "calls of the save failed in turn (create, write, fsync, close, rename, ...)"),
        ("fault_errors", "kinds of error injected (ENOSPC, EIO, EFBIG, EDQUOT, EACCES, ...)"),
        ("fault_cases", "fault cases run (points x relevant errors x with/without an old file)"),
        ("fault_corrupted_files", "settings files that were neither the old nor the new bytes"),
        ("kill_points", "points at which the saving process was killed (SIGKILL)"),
        ("kill_temporaries_cleared", "temporaries left by a kill that the next save removed"),
        ("kill_corrupted_files", "settings files corrupted by a kill"),
    ]),
    ("Allocation failures", [
        ("alloc_operations", "operations covered (initialise, register, get, set, load, save)"),
        ("alloc_points", "allocation points failed (each once alone, and with every later one)"),
        ("alloc_points_pugixml", "of them inside the XML parser"),
        ("alloc_failures_thrown", "failures that left the function as std::bad_alloc"),
        ("alloc_failures_reported", "failures reported as a status (a load that cannot parse: -1)"),
        ("alloc_failures_absorbed", "failures swallowed without a report"),
        ("alloc_inconsistent_states", "states afterwards that matched neither before nor after"),
    ]),
]


def main(path):
    values = {}
    with open(path, encoding="utf-8") as handle:
        for line in handle:
            parts = line.split()
            if len(parts) == 3 and parts[0] == "FIGURE":
                values.setdefault(parts[1], parts[2])
    try:
        cpu = subprocess.run(["sh", "-c", "lscpu | sed -n 's/^Model name: *//p'"],
                             capture_output=True, text=True, check=False).stdout.strip()
    except OSError:
        cpu = ""
    out = []
    out.append("# Hardening figures\n")
    out.append("What the hardening stages of `scripts/test.sh` tried and found. Every number below was printed by")
    out.append("the tests themselves (`FIGURE <name> <value>` lines in CTest's log of the run, collected into")
    out.append("`build/figures.txt`) and put here by `scripts/figures.sh`; none is typed by hand.\n")
    out.append(f"Run of {datetime.date.today().isoformat()} on {platform.system()} {platform.machine()}"
               f"{', ' + cpu if cpu else ''}.\n")
    known = set()
    for title, rows in GROUPS:
        out.append(f"## {title}\n")
        out.append("| figure | value | what it counts |")
        out.append("| --- | ---: | --- |")
        for name, text in rows:
            known.add(name)
            out.append(f"| `{name}` | {values.get(name, 'not run')} | {text} |")
        out.append("")
    others = sorted(set(values) - known)
    if others:
        out.append("## Other figures\n")
        out.append("| figure | value |")
        out.append("| --- | ---: |")
        for name in others:
            out.append(f"| `{name}` | {values[name]} |")
        out.append("")
    print("\n".join(out))


if __name__ == "__main__":
    main(sys.argv[1])
