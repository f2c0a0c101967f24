#!/usr/bin/env bash
# Runs one Windows program under Wine: the CMAKE_CROSSCOMPILING_EMULATOR of
# the mingw-wine preset, through which CTest runs every test program, the
# test discovery and the example.
#
#   wine_emulator.sh PROGRAM.exe [ARGUMENT...]
#
# The Wine prefix is WINEPREFIX, by default build/windows/wine of this
# source tree; the first program makes it. The first program of a Wine
# server also starts Wine's own background programs (services.exe,
# explorer.exe, ...), which inherit its standard output and error and keep
# them open while they run, so that whoever reads those to the end (the test
# discovery does) would wait for ever. When no server runs for the prefix,
# this script therefore starts one that stays for a minute after its last
# program, and those background programs with it, with nothing of the
# caller's open; the programs that follow find everything running.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wine}
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and there is no network for them.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Whether a Wine server runs for the prefix: its socket lies in a directory
# named after the prefix's device and inode numbers, under /tmp/.wine-UID or,
# with Debian's Wine, a /tmp/wine-XXXXXX of its own.
server_running() {
  local numbers name socket
  numbers=$(stat -c '%d %i' "$WINEPREFIX" 2>/dev/null) || return 1
  # shellcheck disable=SC2086
  name=$(printf 'server-%x-%x' $numbers)
  for socket in /tmp/.wine-"$(id -u)"/"$name"/socket /tmp/wine-*/"$name"/socket; do
    [[ -S "$socket" ]] && return 0
  done
  return 1
}

if ! server_running; then
  mkdir -p "$WINEPREFIX"
  (
    flock 8
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
      wineboot --init </dev/null >/dev/null 2>&1 8>&-
      wineserver -w 8>&-
      [[ -f "$WINEPREFIX/system.reg" ]] || { echo "wine_emulator.sh: wineboot made no prefix in $WINEPREFIX" >&2; exit 1; }
    fi
    if ! server_running; then
      wineserver -p60 </dev/null >/dev/null 2>&1 8>&-
      wine cmd.exe /c exit </dev/null >/dev/null 2>&1 8>&-
    fi
  ) 8>"$WINEPREFIX.lock"
fi

exec wine "$@"
