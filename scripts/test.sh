#!/usr/bin/env bash
# Builds and tests the library the way CI does: installs missing Debian
# packages, runs the CMake workflows of CMakePresets.json (each configures,
# builds and tests in build/<preset>), fuzzes under libFuzzer, and writes the
# figures that the tests printed to build/figures.txt. Each stage is one line
# `stage NAME command...`; the run stops at the first that fails.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=scripts/lib/deps.sh
source scripts/lib/deps.sh

# cmake --build and ctest of every workflow use all cores.
parallel=$(nproc 2>/dev/null || echo 2)
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$parallel}
export CTEST_PARALLEL_LEVEL=${CTEST_PARALLEL_LEVEL:-$parallel}

# Every stage's output also goes to this log; the FIGURE lines in it end up in
# build/figures.txt, from which scripts/figures.sh writes docs/hardening.md.
mkdir -p build
log=build/test-output.log
: >"$log"
current_stage=""
finished=()

# stage NAME COMMAND...: runs the command under a header and times it.
stage() {
  local name=$1
  shift
  current_stage=$name
  local started=$SECONDS
  echo
  echo "==== [$name] $*"
  "$@" 2>&1 | tee -a "$log"
  local took=$((SECONDS - started))
  echo "==== [$name] passed in ${took}s"
  finished+=("$(printf '%-12s %4ss' "$name" "$took")")
  current_stage=""
}

report() {
  local rc=$?
  echo
  echo "==== stages passed:"
  if ((${#finished[@]})); then
    printf '  %s\n' "${finished[@]}"
  else
    echo "  (none)"
  fi
  if ((rc != 0)); then
    echo "==== FAILED${current_stage:+ in stage [$current_stage]} (exit $rc)"
  else
    print_figures "$log" >build/figures.txt
    echo "==== $(wc -l <build/figures.txt) figures in build/figures.txt"
    echo "==== all stages passed"
  fi
}
trap report EXIT

# print_figures LOG: the "FIGURE <name> <value>" lines of a log, each once.
print_figures() {
  grep -o 'FIGURE [A-Za-z0-9_]* [0-9][0-9.]*' "$1" | awk '!seen[$0]++' || true
}

# workflow PRESET [FIGURE-PREFIX]: `cmake --workflow --preset PRESET`, then
# the figures of its test run. CTest keeps every test's whole output in
# Testing/Temporary/LastTest.log, passing tests included, so the figures that
# the fault, allocation-failure and stress tests print come from the run that
# tested them. A test that prints "FIGURE+ <name> <value>" gives a part of a
# figure: the parts of all its tests (CTest runs each test case on its own)
# are added up. With FIGURE-PREFIX it also prints the number of tests that
# passed as PREFIX_tests_passed.
workflow() {
  local preset=$1 prefix=${2:-} last=build/$1/Testing/Temporary/LastTest.log out total
  out=$(mktemp "${TMPDIR:-/tmp}/qorva-zel-workflow.XXXXXX")
  if ! cmake --workflow --preset "$preset" 2>&1 | tee "$out"; then
    rm -f "$out"
    return 1
  fi
  if [[ -f "$last" ]]; then
    grep -o 'FIGURE+\? [A-Za-z0-9_]* [0-9][0-9.]*' "$last" |
      awk '$1 == "FIGURE" && !seen[$2]++ { print }
           $1 == "FIGURE+" { if (!($2 in sum)) order[n++] = $2; sum[$2] += $3 }
           END { for (i = 0; i < n; i++) print "FIGURE " order[i] " " sum[order[i]] }' || true
  fi
  if [[ -n "$prefix" ]]; then
    total=$(grep -oE '0 tests failed out of [0-9]+' "$out" | tail -n 1 | awk '{print $NF}')
    echo "FIGURE ${prefix}_tests_passed ${total:-0}"
  fi
  rm -f "$out"
}

# coverage: the coverage workflow, then gcovr's totals as figures.
coverage() {
  local out
  out=$(mktemp "${TMPDIR:-/tmp}/qorva-zel-coverage.XXXXXX")
  workflow coverage | tee "$out"
  # gcovr's summary: "lines: 96.3% (1234 out of 1281)", "branches: ...".
  sed -n -E 's/^([0-9]+: )?(lines|branches): ([0-9.]+)%.*/FIGURE coverage_\2_percent \3/p' "$out"
  rm -f "$out"
}

# ---- Sanitizers and fuzzing ----------------------------------------------------------
# The asan preset runs the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, the tsan preset the concurrency stress test
# under ThreadSanitizer (their run-time options are in CMakePresets.json);
# any report fails a test. The fuzz preset builds each fuzz target for
# libFuzzer with both sanitizers, and run_fuzzers runs it for a bounded time.

# The sanitizers' run-time options for the fuzz runs.
qz_asan_options=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
qz_ubsan_options=print_stacktrace=1:halt_on_error=1

# run_fuzzers DIR TARGET...: each target under libFuzzer on a copy of its seed
# corpus (the repository is not touched), all at once, for
# QORVA_ZEL_FUZZ_SECONDS (60) each; prints libFuzzer's "Done N runs" as a figure.
run_fuzzers() {
  local dir=$1 seconds=${QORVA_ZEL_FUZZ_SECONDS:-60} base work target runs artifact ok=1
  local -x ASAN_OPTIONS=$qz_asan_options UBSAN_OPTIONS=$qz_ubsan_options
  local -a artifacts
  shift
  # A RAM file system keeps the targets' fsyncs cheap; they keep their
  # settings files under TMPDIR.
  base=${TMPDIR:-/tmp}
  if [[ -d /dev/shm && -w /dev/shm ]]; then
    base=/dev/shm
  fi
  work=$(mktemp -d "$base/qorva-zel-fuzz.XXXXXX")
  for target in "$@"; do
    mkdir -p "$work/$target/corpus" "$work/$target/tmp"
    cp fuzz/corpus/"$target"/* "$work/$target/corpus/"
    TMPDIR="$work/$target/tmp" "$dir/fuzz/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$work/$target/" "$work/$target/corpus" >"$work/$target.log" 2>&1 &
  done
  for target in "$@"; do
    if ! wait -n; then
      ok=0
    fi
  done
  for target in "$@"; do
    runs=$(grep -o 'Done [0-9]* runs' "$work/$target.log" | awk '{print $2}' | tail -n 1)
    shopt -s nullglob
    artifacts=("$work/$target"/{crash,leak,timeout,oom}-*)
    shopt -u nullglob
    if [[ -n "$runs" ]] && ((${#artifacts[@]} == 0)); then
      echo "$target: $(grep -E '^#[0-9]+[[:space:]]+DONE' "$work/$target.log" | tail -n 1)"
      echo "FIGURE ${target}_execs $runs"
      echo "FIGURE ${target}_seconds $seconds"
      continue
    fi
    ok=0
    echo "---- $target failed; the end of its log:"
    tail -n 80 "$work/$target.log"
    for artifact in "${artifacts[@]}"; do
      echo "---- the input that failed, $(basename "$artifact"):"
      od -A d -c "$artifact" | head -n 60
    done
  done
  rm -rf "$work"
  if ((ok)); then
    echo "FIGURE fuzz_crashes 0"
  fi
  ((ok))
}

# asan and tsan: the workflow, and the reports it found (any fails it).
asan() {
  workflow asan asan_ubsan
  echo "FIGURE asan_ubsan_reports 0"
}
tsan() {
  workflow tsan
  echo "FIGURE tsan_reports 0"
}

stage packages   qz_install_packages
stage locale     qz_prepare_locale

stage gcc        workflow gcc
stage clang      workflow clang
stage asan       asan
stage tsan       tsan
stage coverage   coverage
stage fuzz       workflow fuzz
stage fuzz-run   run_fuzzers build/fuzz fuzz_load_save fuzz_api fuzz_reader

# ---- Windows ---------------------------------------------------------------------------
# qorva_zel.dll cross-built with MinGW-w64 and its tests run under Wine: the
# dependencies (kept in build/windows), then the mingw-wine workflow.
stage mingw-wine scripts/windows.sh

# ---- Other CPUs ------------------------------------------------------------------------
# The library, the tool and the public tests cross-built for 32-bit x86, ARM64
# and big-endian s390x Linux and run under qemu-user: the i686-linux,
# aarch64-linux and s390x-linux workflows (their packages first).
stage cpus       scripts/cpus.sh

# ---- Release ---------------------------------------------------------------------------
# The packages in dist/ (Linux .tar.gz and .debs, the Windows x64 zip; the
# x86 zip is left to a full `scripts/release.sh` to keep the run short) and
# their check: the unpacked packages used the way a game uses them.
stage release    env QORVA_ZEL_RELEASE_WINDOWS=x64 scripts/release.sh
