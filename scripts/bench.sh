#!/usr/bin/env bash
# Builds the benchmarks in Release (build/bench), runs them and prints one
# table of times and ratios: loading and saving settings files of 10 to
# 100,000 options beside pugixml alone doing the same work, get, set and the
# dirty check for 10 to 100,000 registered options, the page faults per call,
# the instructions of a get and a set beside a std::unordered_map look-up
# and of a load beside pugixml's (callgrind), and the peak memory of a
# 100,000-option load. docs/performance.md shows a run of it.
#
#   scripts/bench.sh [GOOGLE-BENCHMARK-ARGUMENTS...]
#
# QORVA_ZEL_BENCH_REPETITIONS (default 9) sets how often each benchmark runs;
# the repetitions of all benchmarks are interleaved in random order, so that
# a benchmark and its floor meet the same changes in the machine's load, and
# the table shows the medians. The settings files are written under
# build/bench/run, on the disk the repository is on.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=scripts/lib/deps.sh
source scripts/lib/deps.sh

qz_install_packages

build=build/bench
parallel=$(nproc 2>/dev/null || echo 2)
repetitions=${QORVA_ZEL_BENCH_REPETITIONS:-9}

echo "==== configure ($build, Release)"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQORVA_ZEL_BUILD_BENCHMARKS=ON \
  -DQORVA_ZEL_BUILD_TESTS=OFF -DQORVA_ZEL_BUILD_EXAMPLES=OFF >/dev/null
echo "==== build"
cmake --build "$build" --target settings_bench load_memory kit_bench get_set_instructions load_instructions \
  --parallel "$parallel"

run_dir="$build/run"
mkdir -p "$run_dir"
export QORVA_ZEL_BENCH_DIR="$root/$run_dir"

echo "==== settings_bench ($repetitions repetitions)"
"$build/bench/settings_bench" \
  --benchmark_repetitions="$repetitions" \
  --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true \
  --benchmark_out="$build/results.json" --benchmark_out_format=json \
  "$@"

echo "==== kit_bench (the settings kit's open, 300 options)"
"$build/bench/kit_bench" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
  --benchmark_enable_random_interleaving=true | tee "$build/kit.txt"

echo "==== load_memory"
"$build/bench/load_memory" 100000 | tee "$build/memory.json"

echo "==== get_set_instructions and load_instructions (callgrind)"
callgrind_dir="$build/callgrind"
rm -rf "$callgrind_dir"
mkdir -p "$callgrind_dir"
valgrind --tool=callgrind --callgrind-out-file="$callgrind_dir/get-set.%p" \
  "$build/bench/get_set_instructions" 2>"$callgrind_dir/valgrind.log"
valgrind --tool=callgrind --callgrind-out-file="$callgrind_dir/load.%p" \
  "$build/bench/load_instructions" 2>>"$callgrind_dir/valgrind.log"

echo
echo "==== results"
python3 bench/report.py "$build/results.json" "$build/memory.json" "$callgrind_dir" | tee "$build/report.md"
