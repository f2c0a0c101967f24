# shellcheck shell=bash
# The Debian packages each script needs, and the one function that installs
# the missing ones. Sourced by scripts/demo.sh (the demo's packages),
# scripts/test.sh, scripts/bench.sh and scripts/release.sh (the test run's);
# scripts/windows.sh and scripts/cpus.sh add the Windows and the other CPUs'
# cross-builds' own.

# What building the library and the examples takes: CMake, a C and C++
# compiler with make, pugixml, and nlohmann-json for the settings kit. A game
# that builds the library alone needs all but nlohmann-json.
QORVA_ZEL_DEMO_PACKAGES=(cmake make gcc g++ libpugixml-dev nlohmann-json3-dev)

# Everything the test run builds, tests and packages: the demo's packages and
# the tool chain of the tests.
QORVA_ZEL_TEST_PACKAGES=(
  "${QORVA_ZEL_DEMO_PACKAGES[@]}"
  clang pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  valgrind # scripts/bench.sh: instructions of a get and a set (callgrind)
  libxml2-utils python3 locales
  acl # setfacl: the save test of a file with an access-control list
  gcovr # the coverage workflow's report
  libclang-rt-14-dev # the sanitizer and libFuzzer run-times of Debian 12's clang
  mono-mcs mono-runtime # the C# binding's tests
  dpkg-dev zip unzip llvm # scripts/release.sh: CPack's .debs and zips, the import-library checks
  libsdl2-dev libimgui-dev libpng-dev libgl-dev # examples/settings_screen
  xvfb xauth libgl1-mesa-dri # its scripted test: Xvfb with Mesa's software renderer
)

# qz_missing_packages NAME...: prints those of the names that are not
# installed. A name without an architecture means this machine's own (or
# "all"): with foreign architectures added, dpkg-query lists one status per
# installed architecture.
qz_missing_packages() {
  local name native
  native=$(dpkg --print-architecture)
  for name in "$@"; do
    if [[ $name == *:* ]]; then
      dpkg-query -W -f='${Status}\n' "$name" 2>/dev/null | grep -qx 'install ok installed' || printf '%s\n' "$name"
    else
      dpkg-query -W -f='${Architecture} ${Status}\n' "$name" 2>/dev/null |
        grep -qE "^($native|all) install ok installed$" || printf '%s\n' "$name"
    fi
  done
}

# qz_install_packages [NAME...]: installs what is missing of the named
# packages (by default QORVA_ZEL_TEST_PACKAGES). As root it runs apt-get
# update once and then apt-get install -y; otherwise it prints the command to
# run and returns 1.
qz_install_packages() {
  local -a wanted=("$@")
  ((${#wanted[@]})) || wanted=("${QORVA_ZEL_TEST_PACKAGES[@]}")
  if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "deps: not a Debian system (no dpkg-query); make sure these are installed: ${wanted[*]}" >&2
    return 0
  fi

  local -a missing
  mapfile -t missing < <(qz_missing_packages "${wanted[@]}")
  if ((${#missing[@]} == 0)); then
    echo "deps: all ${#wanted[@]} packages are installed"
    return 0
  fi

  if [[ "$(id -u)" != 0 ]]; then
    echo "deps: missing packages: ${missing[*]}" >&2
    echo "deps: install them (as root), then run this script again:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    return 1
  fi

  echo "deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y "${missing[@]}"
}

# qz_prepare_locale: a locale with a decimal comma, so that the tests can show
# the settings file's numbers do not follow the process locale. Best effort.
qz_prepare_locale() {
  if locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    echo "deps: locale de_DE.UTF-8 is available"
    return 0
  fi
  if [[ "$(id -u)" == 0 ]] && command -v localedef >/dev/null 2>&1; then
    localedef -i de_DE -f UTF-8 de_DE.UTF-8 && echo "deps: generated locale de_DE.UTF-8" && return 0
  fi
  echo "deps: no de_DE.UTF-8 locale; the locale test will be skipped"
}
