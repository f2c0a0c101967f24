#!/usr/bin/env python3
"""Prints the benchmark table of scripts/bench.sh.

    report.py RESULTS.json [MEMORY.json [CALLGRIND-DIR]]

RESULTS.json is Google Benchmark's JSON output of settings_bench (with
repetitions, the median of each benchmark is used); MEMORY.json is the line
that load_memory prints; CALLGRIND-DIR holds the dumps of callgrind's run of
get_set_instructions. The table is Markdown, ready for docs/performance.md.
"""

import json
import os
import platform
import re
import subprocess
import sys

FILE_SIZES = [10, 50, 300, 1000, 20000, 100000]
TARGET_SIZES = [300, 1000, 20000]
REGISTRY_SIZES = [10, 1000, 100000]


def load_times(path):
    """{(benchmark, options, visits): (real ns, cpu ns)} from the JSON file."""
    with open(path, encoding="utf-8") as handle:
        data = json.load(handle)
    factor = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
    times, context = {}, data.get("context", {})
    for entry in data["benchmarks"]:
        if entry.get("error_occurred"):
            sys.exit(f"benchmark {entry['name']} failed: {entry.get('error_message')}")
        aggregate = entry.get("aggregate_name")
        if entry.get("run_type") == "aggregate" and aggregate != "median":
            continue
        parts = entry.get("run_name", entry["name"]).split("/")
        args = [int(p.split(":")[-1]) for p in parts[1:] if re.fullmatch(r"(\w+:)?\d+", p)]
        key = (parts[0], args[0], args[1] if len(args) > 1 else None)
        if key in times and aggregate != "median":
            continue  # one run per benchmark; the median wins over the runs
        unit = factor[entry.get("time_unit", "ns")]
        times[key] = (entry["real_time"] * unit, entry["cpu_time"] * unit, entry.get("file_bytes"),
                      entry.get("faults"))
    for entry in data["benchmarks"]:
        # The spread: the coefficient of variation of the repetitions.
        if entry.get("aggregate_name") == "cv":
            parts = entry.get("run_name", entry["name"]).split("/")
            args = [int(p.split(":")[-1]) for p in parts[1:] if re.fullmatch(r"(\w+:)?\d+", p)]
            key = (parts[0], args[0], args[1] if len(args) > 1 else None)
            if key in times:
                times[key] = times[key] + (entry["real_time"],)
    return times, context


def load_instructions(directory):
    """{(case, options): instructions per call} from get_set_instructions' dumps."""
    counts = {}
    for name in sorted(os.listdir(directory)):
        with open(os.path.join(directory, name), encoding="utf-8", errors="replace") as handle:
            text = handle.read()
        label = re.search(r"^desc: Trigger: Client Request: (.+)/(\d+)/(\d+)$", text, re.M)
        total = re.search(r"^(?:summary|totals): (\d+)", text, re.M)
        if label and total:
            counts[(label.group(1), int(label.group(2)))] = int(total.group(1)) / int(label.group(3))
    return counts


def machine():
    model, cores = platform.processor() or "unknown", "?"
    try:
        lscpu = subprocess.run(["lscpu"], capture_output=True, text=True, check=True).stdout
        fields = dict(line.split(":", 1) for line in lscpu.splitlines() if ":" in line)
        model = fields.get("Model name", model).strip()
        cores = fields.get("CPU(s)", cores).strip()
    except (OSError, subprocess.CalledProcessError):
        pass
    system = platform.platform()
    try:
        with open("/etc/os-release", encoding="utf-8") as handle:
            match = re.search(r'^PRETTY_NAME="?([^"\n]*)', handle.read(), re.M)
            if match:
                system = f"{match.group(1)}, Linux {platform.release()}"
    except OSError:
        pass
    return model, cores, system


def show(ns):
    if ns >= 1e6:
        return f"{ns / 1e6:,.2f} ms"
    if ns >= 1e3:
        return f"{ns / 1e3:,.1f} µs"
    if ns < 1:
        return f"{ns:.1g} ns"
    return f"{ns:,.0f} ns"


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    times, context = load_times(sys.argv[1])
    memory = None
    if len(sys.argv) > 2:
        with open(sys.argv[2], encoding="utf-8") as handle:
            memory = json.loads(handle.read())

    model, cores, system = machine()
    print(f"Machine: {model}, {cores} cores, {system}; "
          f"load average at the start {context.get('load_avg', ['?'])}")
    print("Times are wall-clock medians per call (± the repetitions' coefficient of variation); the floor of a")
    print("load is pugixml's load_file of the same UTF-16 file, of a save pugixml saving the same document")
    print("durably (a new file, fsync, rename, directory fsync). Ratio: file rows against their floor; get,")
    print("set and dirty-check rows against the same row at 10 options. CPU ratio: the same with processor")
    print("time. Faults: minor page faults per call (getrusage), after a first call.")
    print()
    print("| operation | options | file | time | floor | ratio | CPU ratio | faults | per option |")
    print("| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |")
    verdicts = []

    def spread(entry):
        return f" ±{entry[4] * 100:.0f}%" if len(entry) > 4 else ""

    def file_rows(name, floor_name, label, floor_label, judged=True):
        per_option = {}
        for n in FILE_SIZES:
            mine, floor = times.get((name, n, None)), times.get((floor_name, n, None))
            if not mine or not floor:
                continue
            ratio = mine[0] / floor[0]
            per_option[n] = mine[0] / n
            size = f"{mine[2] / 1024:,.0f} KiB" if mine[2] else ""
            faults = f"{mine[3]:.1f} ({floor[3]:.1f})" if mine[3] is not None and floor[3] is not None else ""
            print(f"| {label} | {n:,} | {size} | {show(mine[0])}{spread(mine)} | {show(floor[0])}{spread(floor)} "
                  f"({floor_label}) | {ratio:.2f}× | {mine[1] / floor[1]:.2f}× | {faults} | {show(mine[0] / n)} |")
            if judged and n in TARGET_SIZES:
                verdicts.append((f"{label} at {n:,} options ≤ 1.0× {floor_label}", ratio <= 1.0, f"{ratio:.2f}×"))
            if judged and n <= 1000 and mine[3] is not None:
                verdicts.append((f"{label} at {n:,} options faults no page", mine[3] < 0.5, f"{mine[3]:.2f}"))
        if judged and 1000 in per_option and 100000 in per_option:
            growth = per_option[100000] / per_option[1000]
            verdicts.append((f"{label}: cost per option at 100,000 ≤ 1.5× that at 1,000", growth <= 1.5,
                             f"{growth:.2f}×"))

    def registry_rows(name, label, visits, per_option_of_n=False):
        # The ratio column compares whole calls with the same call at 10
        # options; for the dirty check the last column shows it per option.
        base, cpu_base, costs = None, None, {}
        for n in REGISTRY_SIZES:
            mine = times.get((name, n, visits))
            if not mine:
                continue
            base = base or mine[0]
            cpu_base = cpu_base or mine[1]
            costs[n] = mine[0]
            per = show(mine[0] / n) if per_option_of_n else ""
            print(f"| {label} | {n:,} | | {show(mine[0])} | | {mine[0] / base:.2f}× | {mine[1] / cpu_base:.2f}× "
                  f"| {per} |")
        if 10 in costs and 100000 in costs:
            verdicts.append((f"{label}: flat from 10 to 100,000 options (≤ 1.5×)",
                             costs[100000] <= 1.5 * costs[10], f"{costs[100000] / costs[10]:.2f}×"))
        if 1000 in costs and 100000 in costs and per_option_of_n:
            growth = (costs[100000] / 100000) / (costs[1000] / 1000)
            verdicts.append((f"{label}: cost per option at 100,000 ≤ 1.5× that at 1,000", growth <= 1.5,
                             f"{growth:.2f}×"))

    file_rows("BM_Load", "BM_PugixmlLoadFile", "load", "load_file")
    file_rows("BM_Load", "BM_PugixmlParseUtf8", "load", "UTF-8 parse", judged=False)
    file_rows("BM_Save", "BM_PugixmlSave", "save", "durable save")
    for n in (300, 1000):
        round_ = times.get(("BM_LoadSaveRound", n, None))
        if round_ and round_[3] is not None:
            print(f"| load and save in turn | {n:,} | | {show(round_[0])}{spread(round_)} | | | | {round_[3]:.1f} | |")
            verdicts.append((f"load and save in turn at {n:,} options fault no page", round_[3] < 0.5,
                             f"{round_[3]:.2f}"))
    registry_rows("BM_Get", "get, 16 options in turn", 16)
    registry_rows("BM_Get", "get, 1,024 at random", 1024)
    registry_rows("BM_Set", "set, 16 options in turn", 16)
    registry_rows("BM_Set", "set, 1,024 at random", 1024)
    registry_rows("BM_DirtyCheck", "dirty check (all clean)", None, per_option_of_n=True)

    print()
    if memory:
        ratio = memory["heap_peak_above_baseline"] / memory["file_bytes"]
        print(f"Memory of one load of {memory['options']:,} options: file {memory['file_bytes'] / 2**20:.1f} MiB; "
              f"peak above the baseline {memory['heap_peak_above_baseline'] / 2**20:.1f} MiB of heap "
              f"({ratio:.2f}× the file), {memory['rss_peak_above_baseline'] / 2**20:.1f} MiB resident "
              f"({memory['rss_ratio']:.2f}×).")
        verdicts.append(("peak memory of a 100,000-option load ≤ 2× the file", ratio <= 2.0, f"{ratio:.2f}×"))
        if "init_faults" in memory:
            print(f"Page faults of the first initialisation: {memory['init_faults']}.")
            verdicts.append(("initialisation faults one page", memory["init_faults"] <= 1,
                             str(memory["init_faults"])))
        print()
    if len(sys.argv) > 3:
        instructions = load_instructions(sys.argv[3])
        print("Instructions per call (callgrind; 1,024 calls on options drawn at random, of all four types). The")
        print("map: std::unordered_map<std::u16string, value> with the keys in the game's memory; its get copies")
        print("the value out (an Enum's string into a std::u16string), its set assigns it.")
        print()
        print("| call | options | library | unordered_map | ratio |")
        print("| --- | ---: | ---: | ---: | ---: |")
        for call in ("get", "set"):
            for n in REGISTRY_SIZES:
                mine, theirs = instructions.get((call, n)), instructions.get((f"map {call}", n))
                if mine is None or theirs is None:
                    continue
                print(f"| {call} | {n:,} | {mine:,.0f} | {theirs:,.0f} | {mine / theirs:.2f}× |")
                verdicts.append((f"{call} at {n:,} options ≤ 2.5× an unordered_map look-up in instructions",
                                 mine <= 2.5 * theirs, f"{mine / theirs:.2f}×"))
        print()
        loads = [n for n in (300, 1000, 20000) if ("load", n) in instructions]
        if loads:
            print("Instructions of one load (callgrind), beside pugixml's load_file of the same UTF-16 file and")
            print("pugixml's parse of the same text in UTF-8 from memory; the kernel's time is not in them.")
            print()
            print("| options | library | load_file | UTF-8 parse | ratio to load_file | ratio to UTF-8 parse |")
            print("| ---: | ---: | ---: | ---: | ---: | ---: |")
            for n in loads:
                mine = instructions[("load", n)]
                theirs, floor = instructions.get(("load_file", n)), instructions.get(("UTF-8 parse", n))
                if theirs and floor:
                    print(f"| {n:,} | {mine:,.0f} | {theirs:,.0f} | {floor:,.0f} | {mine / theirs:.2f}× "
                          f"| {mine / floor:.2f}× |")
            print()
    print("Targets:")
    for text, met, figure in verdicts:
        print(f"  {'met   ' if met else 'MISSED'} {text}: {figure}")


if __name__ == "__main__":
    main()
