#!/usr/bin/env bash
# Builds the library as a Windows DLL on this Debian machine with MinGW-w64
# and runs its tests against the DLL under Wine.
#
#   scripts/windows.sh
#
# Steps:
#  1. Installs the missing Debian packages (MinGW-w64, Wine, dpkg-dev and the
#     GoogleTest sources) as root; otherwise prints the command and stops.
#  2. Fetches Debian's pugixml source package (adding a deb-src entry for the
#     release's main component when there is none) and builds it, and
#     GoogleTest from /usr/src/googletest, for Windows. Both are kept in
#     build/windows/deps, so later runs skip this step.
#  3. Builds qorva_zel.dll, its import library, the tests and the example in
#     build/windows/qorva_zel (warnings as errors).
#  4. Runs every test with CTest, each test program under Wine, in a Wine
#     prefix of its own (build/windows/wine), made on the first run; then
#     the example twice, the second run loading what the first saved.
#
# Environment: QORVA_ZEL_WINDOWS_DIR moves build/windows elsewhere.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=scripts/lib/deps.sh
source scripts/lib/deps.sh

out=${QORVA_ZEL_WINDOWS_DIR:-$root/build/windows}
deps=$out/deps
prefix=$deps/prefix
build=$out/qorva_zel
toolchain=$root/cmake/toolchains/mingw-w64-x86_64.cmake
parallel=$(nproc 2>/dev/null || echo 2)
deb_src_file=/etc/apt/sources.list.d/qorva-zel-deb-src.sources

windows_packages=(
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine64
  cmake make dpkg-dev googletest
)

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
    x86_64-w64-mingw32-g++-posix --version 2>/dev/null || x86_64-w64-mingw32-g++ --version
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

# ---- 3. and 4. The library and its tests -------------------------------------

export WINEPREFIX=$out/wine
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and there is no network for them.
export WINEDLLOVERRIDES="mscoree,mshtml="

stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
}

prepare_wine() {
  if [[ -f "$WINEPREFIX/system.reg" ]]; then
    say "Wine prefix $WINEPREFIX (ready)"
  else
    say "making the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    wineserver -w
    [[ -f "$WINEPREFIX/system.reg" ]] || { say "wineboot made no prefix" >&2; return 1; }
  fi
  # One Wine server for the whole run (test discovery, the tests, the
  # example) instead of one that stops whenever no program runs for a moment
  # and starts again with the next; stop_wine ends it.
  wineserver -p >/dev/null 2>&1 9>&-
  # The first program of a server starts Wine's own background programs
  # (services.exe, explorer.exe, ...), which inherit its standard output and
  # error and keep them open while they run: whoever reads those to the end,
  # as the test discovery does, would wait for ever. Started here, with
  # nothing open, they hold no pipe of a test.
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&-
}

configure_library() {
  # The emulator runs every test program (and the test discovery) under Wine.
  cmake -S "$root" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="env;WINEPREFIX=$WINEPREFIX;WINEDEBUG=-all;WINEDLLOVERRIDES=$WINEDLLOVERRIDES;wine" \
    -Dpugixml_DIR="$prefix/lib/cmake/pugixml" \
    -DGTest_DIR="$prefix/lib/cmake/GTest" \
    -DQORVA_ZEL_WERROR=ON -DQORVA_ZEL_BUILD_TESTS=ON -DQORVA_ZEL_BUILD_EXAMPLES=ON \
    -DQORVA_ZEL_BUILD_BENCHMARKS=OFF
}

# The example settings menu twice under Wine in a fresh directory, as
# scripts/test.sh runs it on Linux: the second run must load the first one's
# file.
run_example() {
  local dir run ok=1
  rm -rf "$out/example"
  mkdir -p "$out/example"
  dir=$(cd "$out/example" && pwd)
  for run in 1 2; do
    # Wine sees the Linux file system as drive Z:.
    if ! wine "$build/bin/settings_menu.exe" "Z:${dir//\//\\}" 2>&1 | tr -d '\r' >"$dir/run$run.log"; then
      ok=0
    fi
  done
  if ! grep -q -E '^ +load settings file +-> +0 QORVA_ZEL_OK$' "$dir/run2.log"; then
    say "the example's second run did not load the settings file of the first"
    ok=0
  fi
  if ((ok)); then
    say "example: both runs returned every documented status; the second loaded the first one's file"
  else
    cat "$dir/run1.log" "$dir/run2.log"
  fi
  ((ok))
}

main() {
  # One run at a time per build directory: two would build into the same
  # files and share one Wine prefix.
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
  # --deps: only steps 1 and 2 (scripts/release.sh builds its own trees on them).
  if [[ "${1:-}" == --deps ]]; then
    say "dependencies ready in $prefix"
    return 0
  fi
  trap stop_wine EXIT
  prepare_wine

  configure_library
  cmake --build "$build" --parallel "$parallel"
  say "qorva_zel.dll: $(x86_64-w64-mingw32-objdump -p "$build/bin/qorva_zel.dll" | grep -c '^[[:space:]]*\[ *[0-9]*\] QORVA_ZEL_') exported functions;" \
    "DLLs it loads: $(x86_64-w64-mingw32-objdump -p "$build/bin/qorva_zel.dll" | awk '/DLL Name:/ { printf "%s ", $3 }')"
  (cd "$build" && ctest --output-on-failure --no-tests=error -j"$parallel")
  run_example
}

main "$@"
