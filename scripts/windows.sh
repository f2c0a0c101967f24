#!/usr/bin/env bash
# Builds the library as a Windows DLL on this Debian machine with MinGW-w64
# and runs its tests against the DLL under Wine.
#
#   scripts/windows.sh        the dependencies, then the mingw-wine workflow
#   scripts/windows.sh --deps the dependencies alone (steps 1 and 2)
#   QORVA_ZEL_WINDOWS_ARCH=x86 scripts/windows.sh   the same for 32-bit Windows
#
# Steps:
#  1. Installs the missing Debian packages (MinGW-w64, Wine, dpkg-dev and the
#     GoogleTest sources) as root; otherwise prints the command and stops.
#  2. Fetches Debian's pugixml source package (adding a deb-src entry for the
#     release's main component when there is none) and builds it, and
#     GoogleTest from /usr/src/googletest, for Windows. Both are kept in
#     build/windows/deps, so later runs skip this step.
#  3. Runs `cmake --workflow --preset mingw-wine` (CMakePresets.json; for x86
#     the preset mingw-wine-x86, in build/mingw-wine-x86): builds
#     qorva_zel.dll, its import library, the tests and the example in
#     build/mingw-wine (warnings as errors) and runs every test with CTest,
#     each program under Wine (scripts/lib/wine_emulator.sh, with a Wine
#     prefix of its own in build/windows/wine), the example's two runs
#     included.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=scripts/lib/deps.sh
source scripts/lib/deps.sh

# The mingw-wine preset finds the dependencies here. QORVA_ZEL_WINDOWS_ARCH=x86
# does all of it for 32-bit Windows instead: the i686 toolchain, build/windows32,
# the tests under Debian's multiarch wine32.
arch=${QORVA_ZEL_WINDOWS_ARCH:-x64}
case $arch in
  x64) triple=x86_64-w64-mingw32 out=$root/build/windows ;;
  x86) triple=i686-w64-mingw32 out=$root/build/windows32 ;;
  *) echo "windows: QORVA_ZEL_WINDOWS_ARCH is x64 or x86, not $arch" >&2; exit 2 ;;
esac
deps=$out/deps
prefix=$deps/prefix
toolchain=$root/cmake/toolchains/mingw-w64-${triple%%-*}.cmake
parallel=$(nproc 2>/dev/null || echo 2)
deb_src_file=/etc/apt/sources.list.d/qorva-zel-deb-src.sources

windows_packages=(
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine64
  cmake make dpkg-dev googletest nlohmann-json3-dev
)
if [[ $arch == x86 ]]; then
  windows_packages+=(g++-mingw-w64-i686 binutils-mingw-w64-i686)
  # 32-bit Wine only for the test run: it needs a kernel that runs 32-bit
  # programs (IA-32 emulation), and once installed /usr/bin/wine starts every
  # program through its 32-bit loader, 64-bit ones included.
  if [[ " $* " != *" --deps "* ]]; then
    windows_packages+=(wine32:i386)
  fi
fi

say() {
  echo "windows: $*"
}

# ---- 1. Packages and the pugixml source --------------------------------------

# A deb-src stanza for the main component of this Debian release, made from
# the release's own "deb" entry (same mirror, same key), on stdout.
deb_src_stanza() {
  local codename
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [[ -n "$codename" ]] || return 1
  if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
    awk -v codename="$codename" '
      BEGIN { RS = ""; FS = "\n" }
      {
        types = ""; uris = ""; suites = ""; signed = ""
        for (i = 1; i <= NF; i++) {
          if ($i ~ /^Types:/) types = $i
          else if ($i ~ /^URIs:/) uris = $i
          else if ($i ~ /^Suites:/) suites = $i
          else if ($i ~ /^Signed-By:/) signed = $i
        }
        if ((types " ") ~ /[: ]deb / && (suites " ") ~ ("[: ]" codename " ") && uris != "") {
          print "Types: deb-src"; print uris; print "Suites: " codename; print "Components: main"
          if (signed != "") print signed
          found = 1
          exit
        }
      }
      END { exit found ? 0 : 1 }' /etc/apt/sources.list.d/debian.sources
  elif [[ -f /etc/apt/sources.list ]]; then
    awk -v codename="$codename" '
      $1 == "deb" && $3 == codename { print "Types: deb-src"; print "URIs: " $2; print "Suites: " codename;
                                      print "Components: main"; found = 1; exit }
      END { exit found ? 0 : 1 }' /etc/apt/sources.list
  else
    return 1
  fi
}

pugixml_cached() {
  [[ -f "$prefix/.pugixml.done" ]]
}

# Installs what is missing and makes pugixml's source package reachable, with
# one apt-get update for both.
prepare_packages() {
  if ! command -v dpkg-query >/dev/null 2>&1; then
    say "not a Debian system (no dpkg-query); needed: ${windows_packages[*]} and pugixml's source"
    return 1
  fi
  local -a missing
  mapfile -t missing < <(qz_missing_packages "${windows_packages[@]}")
  local need_deb_src=0
  if ! pugixml_cached && ! apt-cache showsrc pugixml 2>/dev/null | grep -q '^Package: pugixml'; then
    need_deb_src=1
  fi
  if ((${#missing[@]} == 0 && need_deb_src == 0)); then
    say "all ${#windows_packages[@]} packages are installed"
    return 0
  fi

  local stanza=""
  if ((need_deb_src)) && [[ ! -f "$deb_src_file" ]]; then
    if ! stanza=$(deb_src_stanza); then
      say "no Debian 'deb' entry found to make a deb-src entry from; add one for pugixml's source package" >&2
      return 1
    fi
  fi
  if [[ "$(id -u)" != 0 ]]; then
    ((${#missing[@]} == 0)) || say "missing packages: ${missing[*]}" >&2
    say "install them (as root), then run this script again:" >&2
    if [[ -n "$stanza" ]]; then
      say "  printf '%s\\n' '${stanza//$'\n'/"' '"}' | sudo tee $deb_src_file" >&2
    fi
    say "  sudo apt-get update${missing[*]:+ && sudo apt-get install -y ${missing[*]}}" >&2
    return 1
  fi

  if [[ -n "$stanza" ]]; then
    say "adding $deb_src_file (source packages of the release's main component)"
    printf '%s\n' "$stanza" >"$deb_src_file"
  fi
  if [[ $arch == x86 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    say "adding the i386 architecture (for wine32)"
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  if ((${#missing[@]})); then
    say "installing ${missing[*]}"
    apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# ---- 2. pugixml and GoogleTest for Windows -----------------------------------

# A short fingerprint of what a dependency's build depends on besides its
# source: the toolchain file and the compiler.
toolchain_fingerprint() {
  {
    cat "$toolchain"
    "$triple-g++-posix" --version 2>/dev/null || "$triple-g++" --version
  } | md5sum | cut -c1-12
}

# cmake_dependency NAME SOURCE_DIR CMAKE_ARG...: configures, builds and
# installs one dependency into the prefix.
cmake_dependency() {
  local name=$1 source=$2
  shift 2
  rm -rf "$deps/build/$name"
  cmake -S "$source" -B "$deps/build/$name" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
  cmake --build "$deps/build/$name" --parallel "$parallel" >/dev/null
  cmake --install "$deps/build/$name" >/dev/null
}

build_pugixml() {
  local stamp="$prefix/.pugixml.done" want
  want="$(apt-cache showsrc pugixml 2>/dev/null | awk '/^Version:/ { print $2; exit }') $(toolchain_fingerprint)"
  if [[ -f "$stamp" && ( "$want" == " "* || "$(cat "$stamp")" == "$want" ) ]]; then
    say "pugixml $(cat "$stamp") (cached)"
    return 0
  fi
  say "fetching Debian's pugixml source package"
  rm -rf "$deps/src/pugixml"
  mkdir -p "$deps/src/pugixml"
  (cd "$deps/src/pugixml" && apt-get source -q pugixml >/dev/null)
  local source
  source=$(find "$deps/src/pugixml" -mindepth 2 -maxdepth 2 -name CMakeLists.txt -printf '%h\n' | head -n 1)
  [[ -n "$source" ]] || { say "apt-get source pugixml gave no source tree" >&2; return 1; }
  say "building pugixml for Windows ($(basename "$source"))"
  cmake_dependency pugixml "$source" -DPUGIXML_BUILD_TESTS=OFF
  echo "$want" >"$stamp"
}

build_googletest() {
  local stamp="$prefix/.googletest.done" want
  want="$(dpkg-query -W -f='${Version}' googletest) $(toolchain_fingerprint)"
  if [[ -f "$stamp" && "$(cat "$stamp")" == "$want" ]]; then
    say "GoogleTest $(cat "$stamp") (cached)"
    return 0
  fi
  say "building GoogleTest for Windows from /usr/src/googletest"
  cmake_dependency googletest /usr/src/googletest -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
  echo "$want" >"$stamp"
}

# nlohmann-json is header-only: the Debian package's headers and CMake
# package, linked into the prefix (never /usr/include on MinGW's path).
link_nlohmann_json() {
  if [[ ! -f /usr/include/nlohmann/json.hpp ]]; then
    say "nlohmann-json3-dev is not installed: the settings kit is left out of the Windows build"
    return 0
  fi
  mkdir -p "$prefix/include" "$prefix/share/cmake/nlohmann_json"
  ln -sfn /usr/include/nlohmann "$prefix/include/nlohmann"
  local file
  for file in /usr/share/cmake/nlohmann_json/*.cmake; do
    ln -sf "$file" "$prefix/share/cmake/nlohmann_json/$(basename "$file")"
  done
}

# ---- 3. The library and its tests ------------------------------------------

# Whether this kernel runs 32-bit x86 programs (IA-32 emulation), which
# 32-bit Wine needs: a five-instruction static i386 program, assembled and run.
runs_i386_programs() {
  local dir rc=0
  dir=$(mktemp -d)
  printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' |
    as --32 -o "$dir/exit.o" 2>/dev/null && ld -m elf_i386 -o "$dir/exit" "$dir/exit.o" 2>/dev/null &&
    "$dir/exit" 2>/dev/null || rc=1
  rm -rf "$dir"
  return "$rc"
}

main() {
  if [[ $arch == x86 && "${1:-}" != --deps ]] && ! runs_i386_programs; then
    say "this kernel does not run 32-bit programs (IA-32 emulation is off), so 32-bit Wine cannot run the tests;"
    say "installing wine32 would only make /usr/bin/wine fail for 64-bit programs too. Build only with --deps"
    say "and scripts/release.sh, or run this on a machine whose kernel has ia32_emulation on."
    return 1
  fi
  # One run at a time: two would build into the same files and share one
  # Wine prefix.
  mkdir -p "$out"
  exec 9>"$out/.lock"
  if ! flock -n 9; then
    say "another run is using $out; waiting for it"
    flock 9
  fi
  prepare_packages
  mkdir -p "$deps" "$prefix"
  build_pugixml
  build_googletest
  link_nlohmann_json
  # --deps: only steps 1 and 2 (scripts/release.sh builds its own trees on them).
  if [[ "${1:-}" == --deps ]]; then
    say "dependencies ready in $prefix"
    return 0
  fi
  # The emulator leaves a Wine server running for the programs that follow
  # one another; it is stopped when the workflow ends.
  trap 'WINEPREFIX=$out/wine wineserver -k >/dev/null 2>&1 || true' EXIT
  # The mingw-wine workflow, or mingw-wine-x86 (build/mingw-wine-x86, its
  # programs run by 32-bit Wine with the prefix build/windows32/wine).
  local preset=mingw-wine
  [[ $arch == x86 ]] && preset=mingw-wine-x86
  export WINEPREFIX=$out/wine
  cmake --workflow --preset "$preset" 9>&-
}

main "$@"
