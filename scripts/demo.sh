#!/usr/bin/env bash
# Builds the library and the example settings menu (Release, build/demo) and
# runs the example twice in a fresh directory: the first run finds no settings
# file and writes one, the second loads it back and moves every value on.
# It installs only what that takes (QORVA_ZEL_DEMO_PACKAGES of
# scripts/lib/deps.sh: CMake, a compiler, pugixml); scripts/test.sh installs
# the test run's tool chain.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=scripts/lib/deps.sh
source scripts/lib/deps.sh

qz_install_packages "${QORVA_ZEL_DEMO_PACKAGES[@]}"

build=build/demo
parallel=$(nproc 2>/dev/null || echo 2)

echo "==== configure ($build, Release)"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQORVA_ZEL_BUILD_EXAMPLES=ON -DQORVA_ZEL_BUILD_TESTS=OFF \
  -DQORVA_ZEL_BUILD_TOOLS=OFF -DQORVA_ZEL_BUILD_FUZZERS=OFF -DQORVA_ZEL_BUILD_BENCHMARKS=OFF
echo "==== build"
cmake --build "$build" --target settings_menu --parallel "$parallel"

dir=$(mktemp -d "${TMPDIR:-/tmp}/qorva-zel-demo.XXXXXX")
trap 'rm -rf "$dir"' EXIT

status=0
for run in 1 2; do
  echo
  echo "==== run $run: $build/examples/settings_menu $dir"
  if ! "$build/examples/settings_menu" "$dir"; then
    echo "==== run $run FAILED"
    status=1
  fi
done
# Then kit_game, a game on the settings kit (its first run picks a preset
# from the hardware; a file of its first release is migrated), when the kit
# was configured (it needs nlohmann-json).
if grep -q '^nlohmann_json_DIR:PATH=/' "$build/CMakeCache.txt" &&
  grep -q '^QORVA_ZEL_BUILD_KIT:BOOL=ON' "$build/CMakeCache.txt"; then
  cmake --build "$build" --target kit_game --parallel "$parallel"
  mkdir -p "$dir/kit"
  for run in 1 2; do
    echo
    echo "==== kit run $run: $build/examples/kit_game $dir/kit"
    if ! "$build/examples/kit_game" "$dir/kit"; then
      echo "==== kit run $run FAILED"
      status=1
    fi
  done
fi

echo
echo "==== files in $dir (removed on exit)"
ls -l "$dir"
exit "$status"
