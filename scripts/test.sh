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
  "$@"
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
