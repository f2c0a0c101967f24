# shellcheck shell=bash
# Debian packages the build, the tests and the example need, and the one
# function that installs the missing ones. Sourced by scripts/demo.sh,
# scripts/test.sh and scripts/bench.sh (scripts/windows.sh adds the Windows
# cross-build's own).

QORVA_ZEL_PACKAGES=(
  cmake g++ clang make pkg-config
  libpugixml-dev libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev # the settings kit reads its schema with it
  libxml2-utils python3 locales
  gcovr # the coverage workflow's report
  libclang-rt-14-dev # the sanitizer and libFuzzer run-times of Debian 12's clang
  mono-mcs mono-runtime # the C# binding's tests
  dpkg-dev zip unzip llvm # scripts/release.sh: CPack's .debs and zips, the import-library checks
  libsdl2-dev libimgui-dev libpng-dev libgl-dev # examples/settings_screen
  xvfb xauth libgl1-mesa-dri # its scripted test: Xvfb with Mesa's software renderer
)

# qz_missing_packages NAME...: prints those of the names that are not installed.
qz_missing_packages() {
  local name status
  for name in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$name" 2>/dev/null || true)
    if [[ "$status" != "install ok installed" ]]; then
      printf '%s\n' "$name"
    fi
  done
}

# qz_install_packages: installs what is missing of QORVA_ZEL_PACKAGES. As root
# it runs apt-get; otherwise it prints the command to run and returns 1.
qz_install_packages() {
  if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "deps: not a Debian system (no dpkg-query); make sure these are installed: ${QORVA_ZEL_PACKAGES[*]}" >&2
    return 0
  fi

  local -a missing
  mapfile -t missing < <(qz_missing_packages "${QORVA_ZEL_PACKAGES[@]}")
  if ((${#missing[@]} == 0)); then
    echo "deps: all ${#QORVA_ZEL_PACKAGES[@]} packages are installed"
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
