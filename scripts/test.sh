#!/usr/bin/env bash
# Builds and tests the library the way CI does: installs missing Debian
# packages, then runs each stage below in order and stops at the first that
# fails. A stage is one line `stage NAME command...`; add more at the end.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=scripts/lib/deps.sh
source scripts/lib/deps.sh

parallel=$(nproc 2>/dev/null || echo 2)
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
  finished+=("$(printf '%-16s %4ss' "$name" "$took")")
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

# configure DIR C_COMPILER CXX_COMPILER [CMAKE_ARG...]
configure() {
  local dir=$1 cc=$2 cxx=$3
  shift 3
  cmake -S . -B "$dir" -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
    -DQORVA_ZEL_WERROR=ON -DQORVA_ZEL_BUILD_TESTS=ON -DQORVA_ZEL_BUILD_EXAMPLES=ON "$@"
}

build() {
  cmake --build "$1" --parallel "$parallel"
}

# run_ctest DIR: every test of the build; an empty test list is a failure.
run_ctest() {
  (cd "$1" && ctest --output-on-failure --no-tests=error -j"$parallel")
}

# run_example DIR: the example settings menu twice in a fresh directory. Each
# run checks every status itself; the second must load what the first saved.
run_example() {
  local program=$1/examples/settings_menu dir run ok=1
  dir=$(mktemp -d "${TMPDIR:-/tmp}/qorva-zel-example.XXXXXX")
  for run in 1 2; do
    if ! "$program" "$dir" >"$dir/run$run.log" 2>&1; then
      ok=0
    fi
  done
  if ! grep -q -E '^ +load settings file +-> +0 QORVA_ZEL_OK$' "$dir/run2.log"; then
    echo "the second run did not load the settings file of the first"
    ok=0
  fi
  if ((ok)); then
    echo "both runs returned every documented status; the second loaded the first one's file"
  else
    for run in 1 2; do
      echo "---- run $run"
      cat "$dir/run$run.log"
    done
  fi
  rm -rf "$dir"
  ((ok))
}

stage packages        qz_install_packages
stage locale          qz_prepare_locale

stage gcc-configure   configure build/gcc gcc g++
stage gcc-build       build build/gcc
stage gcc-ctest       run_ctest build/gcc
stage gcc-example     run_example build/gcc

stage clang-configure configure build/clang clang clang++ -DCMAKE_BUILD_TYPE=Debug
stage clang-build     build build/clang
stage clang-ctest     run_ctest build/clang

# ---- Sanitizers and fuzzing ----------------------------------------------------------
# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, the
# concurrency stress test under ThreadSanitizer, and each fuzz target for a
# bounded time under libFuzzer with both sanitizers. Any report fails the run.
# Figures are printed as "FIGURE <name> <value>" lines.

# The sanitizers' run-time options; each stage below that runs sanitized
# programs exports them for its own run only.
qz_asan_options=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
qz_ubsan_options=print_stacktrace=1:halt_on_error=1
qz_tsan_options=halt_on_error=1:second_deadlock_stack=1

# print_figures LOG: the FIGURE lines of a log, each once, without ctest's prefixes.
print_figures() {
  grep -o 'FIGURE [A-Za-z0-9_]* [0-9][0-9.]*' "$1" | awk '!seen[$0]++' || true
}

# run_ctest_counted NAME DIR: run_ctest, then "FIGURE NAME_tests_passed N".
run_ctest_counted() {
  local name=$1 dir=$2 log passed
  local -x ASAN_OPTIONS=$qz_asan_options UBSAN_OPTIONS=$qz_ubsan_options
  log=$(mktemp "${TMPDIR:-/tmp}/qorva-zel-ctest.XXXXXX")
  if ! run_ctest "$dir" >"$log" 2>&1; then
    cat "$log"
    rm -f "$log"
    return 1
  fi
  cat "$log"
  passed=$(grep -oE '0 tests failed out of [0-9]+' "$log" | awk '{print $NF}')
  rm -f "$log"
  echo "FIGURE ${name}_tests_passed ${passed:-0}"
  echo "FIGURE ${name}_reports 0" # any report fails a test, and so this stage
}

# run_ctest_figures DIR [CTEST_ARG...]: run_ctest's run, verbose into a log,
# then the figures that the tests printed.
run_ctest_figures() {
  local dir=$1 log
  shift
  log=$(mktemp "${TMPDIR:-/tmp}/qorva-zel-ctest.XXXXXX")
  if ! (cd "$dir" && ctest --output-on-failure --no-tests=error -j"$parallel" -V "$@") >"$log" 2>&1; then
    grep -v '^[0-9]*: ' "$log" | tail -n 150
    rm -f "$log"
    return 1
  fi
  grep -E '(Passed|tests passed)' "$log" || true
  print_figures "$log"
  rm -f "$log"
}

# run_tsan_stress DIR: the concurrency stress test of a ThreadSanitizer build.
run_tsan_stress() {
  local -x TSAN_OPTIONS=$qz_tsan_options
  run_ctest_figures "$1" -R '^concurrency_stress_test\.'
  echo "FIGURE tsan_reports 0" # halt_on_error: any report fails the test
}

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

stage asan-configure  configure build/asan clang clang++ "-DQORVA_ZEL_SANITIZE=address;undefined" \
                        -DQORVA_ZEL_BUILD_EXAMPLES=OFF -DQORVA_ZEL_BUILD_BENCHMARKS=OFF
stage asan-build      build build/asan
stage asan-ctest      run_ctest_counted asan_ubsan build/asan

stage tsan-configure  configure build/tsan clang clang++ -DQORVA_ZEL_SANITIZE=thread \
                        -DQORVA_ZEL_BUILD_EXAMPLES=OFF -DQORVA_ZEL_BUILD_BENCHMARKS=OFF -DQORVA_ZEL_BUILD_FUZZERS=OFF
stage tsan-build      cmake --build build/tsan --parallel "$parallel" --target concurrency_stress_test
stage tsan-stress     run_tsan_stress build/tsan

stage fuzz-configure  configure build/fuzz clang clang++ "-DQORVA_ZEL_SANITIZE=address;undefined" -DQORVA_ZEL_LIBFUZZER=ON \
                        -DQORVA_ZEL_BUILD_TESTS=OFF -DQORVA_ZEL_BUILD_EXAMPLES=OFF -DQORVA_ZEL_BUILD_BENCHMARKS=OFF
stage fuzz-build      cmake --build build/fuzz --parallel "$parallel" --target fuzz_load_save fuzz_api
stage fuzz-run        run_fuzzers build/fuzz fuzz_load_save fuzz_api

# ---- Fault and allocation-failure injection ------------------------------------------
# ctest hides what passing tests print, so the two injection tests run once
# more on their own for their "FIGURE <name> <value>" lines.

# run_figure_tests DIR TEST...: each test program of DIR/tests; prints its
# FIGURE lines when it passes and its whole output when it fails.
run_figure_tests() {
  local dir=$1 test log ok=1
  shift
  for test in "$@"; do
    log=$(mktemp "${TMPDIR:-/tmp}/qorva-zel-figures.XXXXXX")
    if "$dir/tests/$test" --gtest_brief=1 >"$log" 2>&1; then
      echo "$test: $(grep -E '^\[  PASSED  \]' "$log")"
      grep -E '^FIGURE ' "$log" || true
    else
      ok=0
      cat "$log"
    fi
    rm -f "$log"
  done
  ((ok))
}

stage fault-figures   run_figure_tests build/gcc save_fault_injection_test alloc_failure_test

# ---- Windows ---------------------------------------------------------------------------
# qorva_zel.dll cross-built with MinGW-w64 and its tests run under Wine (see
# scripts/windows.sh; its dependencies and Wine prefix are kept in build/windows).
stage windows         scripts/windows.sh
