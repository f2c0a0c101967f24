#!/usr/bin/env bash
# Cross-builds the library, the qorvazel tool and the tests for the other
# CPUs a game ships on, and runs the public tests under qemu-user:
#
#   i686-linux     32-bit x86: 4-byte pointers and size_t, as the 32-bit
#                  Windows build has them
#   aarch64-linux  64-bit ARM
#   s390x-linux    64-bit big-endian (IBM Z)
#
#   scripts/cpus.sh                 the dependencies, then the three workflows
#   scripts/cpus.sh aarch64 s390x   the dependencies, then those targets only
#   scripts/cpus.sh --deps          the dependencies alone
#
# Steps:
#  1. Adds the targets' Debian architectures (dpkg --add-architecture) and
#     installs what is missing as root: the cross compilers
#     (crossbuild-essential-<arch>), qemu-user, and pugixml and GoogleTest
#     for each architecture from Debian's multiarch packages
#     (libpugixml-dev:arm64, ...). Not root: prints the commands and stops.
#     Nothing else is installed for those architectures (wine32 in
#     particular stays out: it would take over /usr/bin/wine).
#  2. Runs `cmake --workflow --preset <target>` (CMakePresets.json) for each
#     target: configures with cmake/toolchains/<triplet>.cmake, builds in
#     build/<target> (warnings as errors; no examples, fuzz targets or
#     benchmarks) and runs the tests labelled public through qemu, less the
#     thread, process and fault harnesses (concurrency_stress_test,
#     multi_process_test, save_fault_injection_test, alloc_failure_test),
#     which test no CPU-dependent code and under emulation take minutes each.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=scripts/lib/deps.sh
source scripts/lib/deps.sh

say() {
  echo "cpus: $*"
}

# target -> Debian architecture
declare -A debian_arch=([i686]=i386 [aarch64]=arm64 [s390x]=s390x)

only_deps=0
targets=()
for arg in "$@"; do
  case $arg in
    --deps) only_deps=1 ;;
    i686 | aarch64 | s390x) targets+=("$arg") ;;
    i686-linux | aarch64-linux | s390x-linux) targets+=("${arg%-linux}") ;;
    *) echo "usage: scripts/cpus.sh [--deps] [i686] [aarch64] [s390x]" >&2; exit 2 ;;
  esac
done
((${#targets[@]})) || targets=(i686 aarch64 s390x)

packages=(cmake make qemu-user)
architectures=()
for target in "${targets[@]}"; do
  arch=${debian_arch[$target]}
  architectures+=("$arch")
  packages+=("crossbuild-essential-$arch" "libpugixml-dev:$arch" "libgtest-dev:$arch" "libgmock-dev:$arch")
done

# ---- 1. Architectures and packages -------------------------------------------

prepare_packages() {
  if ! command -v dpkg-query >/dev/null 2>&1; then
    say "not a Debian system (no dpkg-query); needed: ${packages[*]}" >&2
    return 1
  fi
  local -a missing_arch=() missing=()
  local arch known
  known=" $(dpkg --print-architecture) $(dpkg --print-foreign-architectures | tr '\n' ' ') "
  for arch in "${architectures[@]}"; do
    if [[ "$known" != *" $arch "* ]]; then
      missing_arch+=("$arch")
    fi
  done
  mapfile -t missing < <(qz_missing_packages "${packages[@]}")
  if ((${#missing_arch[@]} == 0 && ${#missing[@]} == 0)); then
    say "all ${#packages[@]} packages are installed"
    return 0
  fi

  if [[ "$(id -u)" != 0 ]]; then
    ((${#missing[@]} == 0)) || say "missing packages: ${missing[*]}" >&2
    say "install them (as root), then run this script again:" >&2
    for arch in "${missing_arch[@]}"; do
      say "  sudo dpkg --add-architecture $arch" >&2
    done
    say "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
    return 1
  fi

  for arch in "${missing_arch[@]}"; do
    say "adding the $arch architecture"
    dpkg --add-architecture "$arch"
  done
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  if ((${#missing[@]})); then
    say "installing ${missing[*]}"
    apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# ---- 2. The workflows -----------------------------------------------------------

main() {
  prepare_packages
  if ((only_deps)); then
    say "dependencies ready for ${targets[*]}"
    return 0
  fi
  local target started
  for target in "${targets[@]}"; do
    started=$SECONDS
    say "---- $target-linux"
    cmake --workflow --preset "$target-linux"
    say "$target-linux passed in $((SECONDS - started))s"
  done
}

main
