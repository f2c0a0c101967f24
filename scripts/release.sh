#!/usr/bin/env bash
# Makes the release packages in dist/ and checks them.
#
#   scripts/release.sh            build every package, then check them
#   scripts/release.sh --check    only check what is in dist/
#
# Packages (version from the top-level CMakeLists.txt):
#   qorvazel-<version>-linux-x86_64.tar.gz    the installed tree
#   libqorvazel2_<version>-1_amd64.deb        the shared library
#   libqorvazel-dev_<version>-1_amd64.deb     headers, CMake package, pkg-config
#                                             file, static library, bindings
#   libqorvazel2-dbg_<version>-1_amd64.deb    the shared library's symbols
#   qorvazel-<version>-windows-x64.zip        DLL, import libraries (MinGW and
#   qorvazel-<version>-windows-x86.zip        Visual Studio), static library,
#                                             headers, CMake package, docs
#   SHA256SUMS
#
# Builds go to build/release/. The Windows zips need MinGW-w64 and the
# Windows builds of pugixml, which `scripts/windows.sh --deps` makes (and
# this script runs); the check runs the Windows consumer under Wine.
#
# Environment: QORVA_ZEL_RELEASE_WINDOWS lists the Windows architectures to
# make (default "x64 x86"; "x64" for the 64-bit zip alone, "" for none). QORVA_ZEL_RELEASE_DIR moves
# build/release elsewhere.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=scripts/lib/deps.sh
source scripts/lib/deps.sh
# shellcheck source=scripts/lib/release_build.sh
source scripts/lib/release_build.sh
# shellcheck source=scripts/lib/release_check.sh
source scripts/lib/release_check.sh

out=${QORVA_ZEL_RELEASE_DIR:-$root/build/release}
dist=$root/dist
parallel=$(nproc 2>/dev/null || echo 2)
read -r -a windows_arches <<<"${QORVA_ZEL_RELEASE_WINDOWS-x64 x86}"

timed() {
  local started=$SECONDS
  "$@"
  rel_say "$1 ${*:2}: $((SECONDS - started))s"
}

main() {
  local check_only=0
  case "${1:-}" in
    --check) check_only=1 ;;
    "") ;;
    *)
      echo "usage: scripts/release.sh [--check]" >&2
      return 2
      ;;
  esac
  qz_install_packages
  mkdir -p "$out" "$dist"

  if ((!check_only)); then
    find "$dist" -maxdepth 1 -type f -delete
    timed release_linux
    local arch
    for arch in "${windows_arches[@]}"; do
      QORVA_ZEL_WINDOWS_ARCH=$arch timed scripts/windows.sh --deps
      timed release_windows "$arch"
    done
    release_sums
  fi
  timed check_release
  ls -l "$dist"
}

main "$@"
