# shellcheck shell=bash
# The release check, sourced by scripts/release.sh: uses the packages in
# dist/ as a game programmer would, in scratch directories under
# build/release/check.
#  - SHA256SUMS matches every file in dist/ and names them all;
#  - the .debs, unpacked with dpkg -x, run the qorvazel tool and build and
#    run the C consumer (through
#    pkg-config) and the C++ one (through find_package) of tests/consumers;
#    the shared library is stripped, names its .debug file in a debuglink,
#    and the -dbg package holds that file;
#  - a C game linked against the static library runs, needs neither
#    pugixml nor libqorva_zel at run time, and exports no pugixml symbol;
#  - the tarball and the unpacked .debs: the shipped Python package, imported
#    from the tree with PYTHONPATH alone, loads the tree's library and reports
#    its version; the README is the Linux one;
#  - in every package (tarball, .debs, zip) each relative link of the shipped
#    Markdown files resolves inside it (scripts/lib/check_doc_links.py);
#  - each Windows zip has the DLL, both import libraries, the static library,
#    the headers, the CMake package and the licences; qorva_zel.lib names
#    exactly the thirteen functions; the DLL imports only system DLLs; a C
#    game built with MinGW against the import library runs under Wine, and
#    so does one linked against the static library; the DLL is stripped,
#    its debuglink names bin/qorva_zel.dll.debug, which holds DWARF, and the
#    zip's README (the Windows one) says that and that there is no PDB.

check_fail() {
  echo "release check: $*" >&2
  return 1
}

# The thirteen exported names, from tests/exported_functions.cmake.
expected_functions() {
  sed -n '/^set(expected/,/)/p' "$root/tests/exported_functions.cmake" | grep -o 'QORVA_ZEL_[A-Za-z]*' | LC_ALL=C sort
}

check_sums() {
  (cd "$dist" && sha256sum --quiet -c SHA256SUMS) || check_fail "SHA256SUMS does not match dist/"
  local listed present
  listed=$(awk '{ print $2 }' "$dist/SHA256SUMS" | LC_ALL=C sort)
  present=$(cd "$dist" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | LC_ALL=C sort)
  [[ "$listed" == "$present" ]] || check_fail "SHA256SUMS does not name exactly the files in dist/"
  rel_say "check: SHA256SUMS matches all $(wc -l <"$dist/SHA256SUMS") files"
}

# check_consumer NAME SOURCE_DIR CMAKE_ARG...: configures, builds and runs
# one consumer of tests/consumers in a fresh directory.
check_consumer() {
  local name=$1 source=$2 dir=$check/$1
  shift 2
  rm -rf "$dir"
  cmake -S "$root/tests/consumers/$source" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >"$dir.log" 2>&1 &&
    cmake --build "$dir" >>"$dir.log" 2>&1 || { cat "$dir.log"; check_fail "$name does not build"; }
  mkdir -p "$dir/run"
  "$dir/$name" "$dir/run" || check_fail "$name failed"
}

# check_doc_links NAME ROOT: every relative link of the Markdown files
# under ROOT, the unpacked package NAME, resolves inside ROOT.
check_doc_links() {
  local name=$1 result
  result=$(python3 "$root/scripts/lib/check_doc_links.py" "$2") || { echo "$result"; check_fail "$name has dead links"; }
  rel_say "check: $name: $result"
}

# check_python NAME ROOT LIBDIR: the Python package shipped in ROOT (an
# unpacked tarball or .debs), imported with PYTHONPATH alone, loads
# ROOT/LIBDIR's library and reports the interface version it was made for.
check_python() {
  local name=$1 tree=$2 libdir=$3 out
  out=$(cd "$check" && env -u QORVAZEL_LIBRARY -u LD_LIBRARY_PATH PYTHONPATH="$tree/share/qorvazel/python" \
    python3 -c 'import qorvazel
version = qorvazel.Settings.library_version()
assert version == tuple(qorvazel.INTERFACE_VERSION), (version, qorvazel.INTERFACE_VERSION)
print(".".join(map(str, version)))
print(next(line.split()[-1] for line in open("/proc/self/maps") if "libqorva_zel.so" in line))' 2>&1) ||
    { echo "$out"; check_fail "$name: the Python package does not load the library"; }
  local version library
  version=$(sed -n 1p <<<"$out")
  library=$(sed -n 2p <<<"$out")
  [[ "$library" == "$tree/$libdir/"* ]] || check_fail "$name: the Python package loaded $library, not the tree's"
  rel_say "check: $name: Python's qorvazel reports interface $version from ${library#"$tree"/}"
}

check_linux() {
  local v=$1 deb_dir=$check/deb
  local runtime=$dist/libqorvazel2_${v}-1_amd64.deb dev=$dist/libqorvazel-dev_${v}-1_amd64.deb
  local dbg=$dist/libqorvazel2-dbg_${v}-1_amd64.deb
  local f
  for f in "$runtime" "$dev" "$dbg" "$dist/qorvazel-${v}-linux-x86_64.tar.gz"; do
    [[ -f $f ]] || check_fail "missing $(basename "$f")"
  done
  [[ "$(dpkg-deb -f "$runtime" Depends)" == *libpugixml1v5* ]] || check_fail "libqorvazel2 does not depend on libpugixml1v5"
  rm -rf "$deb_dir"
  dpkg -x "$runtime" "$deb_dir"
  dpkg -x "$dev" "$deb_dir"
  dpkg -x "$dbg" "$deb_dir"
  local tool_deb=$dist/qorvazel_${v}-1_amd64.deb
  [[ -f $tool_deb ]] || check_fail "missing $(basename "$tool_deb")"
  dpkg -x "$tool_deb" "$deb_dir"
  [[ "$("$deb_dir/usr/bin/qorvazel" --help 2>&1)" == usage:\ qorvazel* ]] || check_fail "the qorvazel tool does not run"
  # The settings kit's packages, and its Python module loading the kit they hold.
  for f in "$dist/libqorvazel-kit${v%%.*}_${v}-1_amd64.deb" "$dist/libqorvazel-kit-dev_${v}-1_amd64.deb"; do
    [[ -f $f ]] || check_fail "missing $(basename "$f")"
    dpkg -x "$f" "$deb_dir"
  done
  env -u QORVAZEL_LIBRARY -u QORVAZEL_KIT_LIBRARY PYTHONPATH="$deb_dir/usr/share/qorvazel/python" python3 -c \
    'from qorvazel import kit; kit.local_settings_folder("")' || check_fail "the Python kit module does not load the kit"
  local libdir=$deb_dir/usr/lib/x86_64-linux-gnu
  local so=$libdir/libqorva_zel.so.$v
  [[ -f "$deb_dir/usr/share/doc/QorvaZel/licenses/pugixml.txt" ]] || check_fail "libqorvazel-dev has no pugixml notice"

  # Stripped, and its symbols where the debuglink says.
  if [[ "$(readelf -S "$so")" == *.debug_info* ]]; then check_fail "libqorva_zel.so.$v is not stripped"; fi
  local link
  link=$(readelf --string-dump=.gnu_debuglink "$so" | awk '/\]/ { print $3; exit }')
  [[ "$link" == "libqorva_zel.so.$v.debug" ]] || check_fail "debuglink names '$link'"
  [[ "$(readelf -S "$libdir/.debug/$link")" == *.debug_info* ]] || check_fail "$link has no debug information"
  rel_say "check: libqorva_zel.so.$v stripped, debuglink $link in libqorvazel2-dbg"

  # The consumers, against the unpacked .debs.
  PKG_CONFIG_PATH=$libdir/pkgconfig check_consumer consumer_c c_pkgconfig -DEXPECTED_VERSION="$v"
  check_consumer consumer_cxx cxx_find_package -DEXPECTED_VERSION="$v" -DCMAKE_PREFIX_PATH="$deb_dir/usr" \
    -DEXPECTED_LIBDIR="$libdir"

  # A game linked against the static library, as pkg-config --static says.
  local flags game=$check/static_game
  flags=$(PKG_CONFIG_PATH=$libdir/pkgconfig pkg-config --static --cflags --libs qorvazel)
  flags=${flags/-lqorva_zel/-l:libqorva_zel.a}
  [[ "$flags" == *-DQORVA_ZEL_STATIC* ]] || check_fail "pkg-config --static gives no -DQORVA_ZEL_STATIC"
  # shellcheck disable=SC2086 # the flags are words
  cc -std=c11 -Wall -Wextra -Wpedantic -Werror -o "$game" "$root/tests/consumers/c_pkgconfig/main.c" $flags
  mkdir -p "$check/static_run"
  "$game" "$check/static_run" >/dev/null || check_fail "the statically linked game failed"
  if readelf -d "$game" | grep -E 'NEEDED.*(pugixml|qorva_zel)'; then
    check_fail "the statically linked game needs the libraries above at run time"
  fi
  local exported
  exported=$(nm --extern-only --defined-only "$game" | grep -ci pugi || true)
  ((exported == 0)) || check_fail "the statically linked game exports $exported pugixml symbols"
  [[ "$(nm -D "$game")" != *pugi* ]] || check_fail "the statically linked game has pugixml in its dynamic symbols"
  rel_say "check: static game runs, needs no pugixml or qorva_zel library, exports no pugixml symbol"

  # The docs and the Python package, in the .debs and in the tarball.
  local multiarch=lib/x86_64-linux-gnu
  grep -q '^# Qorva Zel .* for Linux' "$deb_dir/usr/share/doc/QorvaZel/README.md" ||
    check_fail "libqorvazel-dev has no Linux README"
  check_doc_links "the .debs" "$deb_dir"
  local tar_dir=$check/tarball
  rm -rf "$tar_dir"
  mkdir -p "$tar_dir"
  tar -xzf "$dist/qorvazel-${v}-linux-x86_64.tar.gz" -C "$tar_dir"
  local tree=$tar_dir/qorvazel-${v}-linux-x86_64
  [[ -f "$tree/$multiarch/libqorva_zel.so.$v" ]] || check_fail "the tarball has no $multiarch/libqorva_zel.so.$v"
  grep -q '^# Qorva Zel .* for Linux' "$tree/share/doc/QorvaZel/README.md" || check_fail "the tarball has no Linux README"
  check_doc_links "the tarball" "$tar_dir"
}

# The Python package of the unpacked .debs and tarball (check_linux unpacked
# them), each loading its own tree's library.
check_linux_python() {
  local v=$1 multiarch=lib/x86_64-linux-gnu
  check_python "the .debs" "$check/deb/usr" "$multiarch"
  check_python "the tarball" "$check/tarball/qorvazel-${v}-linux-x86_64" "$multiarch"
}

check_wine_prefix() {
  export WINEPREFIX=$out/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    wineserver -w
  fi
}

# Whether 32-bit Windows programs run here: Debian's wine32 installed and
# a kernel that runs 32-bit programs.
can_run_wine32() {
  [[ -x /usr/lib/wine/wine ]] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

check_windows() {
  local v=$1 arch=$2 triple machine
  case $arch in
    x64) triple=x86_64-w64-mingw32 machine=x86_64 ;;
    x86) triple=i686-w64-mingw32 machine=i386 ;;
  esac
  local zip=$dist/qorvazel-${v}-windows-$arch.zip dir=$check/windows-$arch
  [[ -f $zip ]] || check_fail "missing $(basename "$zip")"
  rm -rf "$dir"
  mkdir -p "$dir"
  unzip -q "$zip" -d "$dir"
  local tree=$dir/qorvazel-${v}-windows-$arch f
  for f in bin/qorva_zel.dll bin/qorva_zel.dll.debug lib/qorva_zel.lib lib/libqorva_zel.dll.a lib/libqorva_zel.a \
    include/qorva_zel.h include/qorva_zel.hpp lib/cmake/QorvaZel/QorvaZelConfig.cmake \
    lib/cmake/QorvaZel/QorvaZelTargets.cmake lib/cmake/QorvaZel/QorvaZelStaticTargets.cmake \
    bin/qorvazel.exe LICENSE licenses/pugixml.txt README.md docs/guide.md examples/settings_menu.c; do
    [[ -f "$tree/$f" ]] || check_fail "$(basename "$zip") has no $f"
  done

  check_doc_links "$(basename "$zip")" "$dir"
  grep -q "^# Qorva Zel .* for Windows ($arch)" "$tree/README.md" || check_fail "$(basename "$zip")'s README is not the Windows $arch one"

  # The debug information: DWARF in bin/qorva_zel.dll.debug, named by the
  # stripped DLL's debuglink, as the README says (no PDB).
  local link
  if [[ "$(llvm-readobj --sections "$tree/bin/qorva_zel.dll")" == *"Name: .debug_info"* ]]; then
    check_fail "windows-$arch qorva_zel.dll is not stripped"
  fi
  link=$(llvm-readobj --string-dump=.gnu_debuglink "$tree/bin/qorva_zel.dll" | awk '/\]/ { print $3; exit }')
  [[ "$link" == qorva_zel.dll.debug ]] || check_fail "windows-$arch qorva_zel.dll's debuglink names '$link'"
  [[ "$(llvm-readobj --sections "$tree/bin/qorva_zel.dll.debug")" == *"Name: .debug_info"* ]] ||
    check_fail "windows-$arch qorva_zel.dll.debug holds no DWARF"
  [[ -z "$(find "$tree" -iname '*.pdb')" ]] || check_fail "$(basename "$zip") has a PDB its README does not mention"
  grep -q 'has no PDB file' "$tree/README.md" && grep -q 'Visual Studio and.*WinDbg cannot read it' <(tr '\n' ' ' <"$tree/README.md") ||
    check_fail "$(basename "$zip")'s README does not say what its debug information is"
  rel_say "check: windows-$arch qorva_zel.dll stripped, debuglink $link (DWARF), README says so"

  # qorva_zel.lib: the thirteen functions, each with its __imp_ pointer, and
  # nothing else but the import descriptors.
  local names
  names=$(llvm-nm --defined-only "$tree/lib/qorva_zel.lib" 2>/dev/null | awk 'NF >= 2 { print $NF }' |
    grep -v -E '^(\.idata\$[0-9]+$|__IMPORT_DESCRIPTOR_qorva_zel$|__NULL_IMPORT_DESCRIPTOR$|.?qorva_zel_NULL_THUNK_DATA$)' |
    sed -E 's/^__imp_//; s/^_//' | LC_ALL=C sort -u)
  [[ "$names" == "$(expected_functions)" ]] ||
    { diff <(echo "$names") <(expected_functions) || true; check_fail "qorva_zel.lib does not name exactly the thirteen functions"; }
  [[ "$(llvm-readobj --file-headers "$tree/lib/qorva_zel.lib")" == *"Arch: $machine"* ]] ||
    check_fail "qorva_zel.lib is not for $machine"
  # Each import names the DLL's plain export: on x86 the linker's
  # _QORVA_ZEL_... without its underscore ("noprefix").
  local name_type=name
  [[ $arch == x86 ]] && name_type=noprefix
  local types
  types=$(llvm-readobj "$tree/lib/qorva_zel.lib" | awk '/Name type:/ { print $3 }' | sort | uniq -c | awk '{ print $1, $2 }')
  [[ "$types" == "13 $name_type" ]] || check_fail "qorva_zel.lib's import name types are '$types', expected 13 $name_type"

  # The DLL imports system DLLs only: no MinGW run-time beside it.
  local dlls bad
  dlls=$(llvm-readobj --coff-imports "$tree/bin/qorva_zel.dll" | awk '/Name: .*\.dll/ { print tolower($2) }' | sort -u)
  bad=$(grep -v -E '^(kernel32|msvcrt|user32|advapi32|shell32|ole32|ucrtbase|bcrypt|ws2_32|api-ms-win-[a-z0-9-]+)\.dll$' <<<"$dlls" || true)
  [[ -z "$bad" ]] || check_fail "qorva_zel.dll imports non-system DLLs: $bad"
  rel_say "check: windows-$arch qorva_zel.lib names the thirteen functions; qorva_zel.dll imports only $(echo $dlls)"

  # A C game built with MinGW against the import library, run under Wine.
  local game=$dir/consumer_c.exe
  "$triple-gcc" -std=c11 -Wall -Wextra -Wpedantic -Werror -o "$game" "$root/tests/consumers/c_pkgconfig/main.c" \
    -I"$tree/include" -L"$tree/lib" -l:libqorva_zel.dll.a
  cp "$tree/bin/qorva_zel.dll" "$dir/"
  if [[ $arch == x86 ]] && ! can_run_wine32; then
    rel_say "check: windows-x86 consumer built; not run: this machine cannot run 32-bit Wine" \
      "(wine32 and a kernel with IA-32 emulation needed)"
    "$triple-gcc" -std=c11 -Wall -Wextra -Wpedantic -Werror -DQORVA_ZEL_STATIC -o "$dir/static_game.exe" \
      "$root/tests/consumers/c_pkgconfig/main.c" -I"$tree/include" "$tree/lib/libqorva_zel.a" -static -lstdc++ -lpthread
    return 0
  fi
  check_wine_prefix
  mkdir -p "$dir/run"
  (cd "$dir" && wine ./consumer_c.exe "Z:${dir//\//\\}\\run" </dev/null) | tr -d '\r' ||
    check_fail "the Windows $arch consumer failed under Wine"

  # The same game linked against the static library, pugixml inside it.
  "$triple-gcc" -std=c11 -Wall -Wextra -Wpedantic -Werror -DQORVA_ZEL_STATIC -o "$dir/static_game.exe" \
    "$root/tests/consumers/c_pkgconfig/main.c" -I"$tree/include" "$tree/lib/libqorva_zel.a" -static -lstdc++ -lpthread
  if [[ "$(llvm-readobj --coff-imports "$dir/static_game.exe")" == *"Name: qorva_zel.dll"* ]]; then
    check_fail "the Windows $arch static game imports qorva_zel.dll"
  fi
  mkdir -p "$dir/static_run"
  (cd "$dir" && wine ./static_game.exe "Z:${dir//\//\\}\\static_run" </dev/null) | tr -d '\r' ||
    check_fail "the Windows $arch static game failed under Wine"
}

check_release() {
  check=$out/check
  mkdir -p "$check"
  local v
  v=$(sed -n 's/^project(QorvaZel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
  [[ -n "$v" ]] || check_fail "no version in CMakeLists.txt"
  check_sums
  check_linux "$v"
  local arch
  for arch in "${windows_arches[@]}"; do
    check_windows "$v" "$arch"
  done
  wineserver -k >/dev/null 2>&1 || true
  check_linux_python "$v"
  rel_say "check: all passed"
}
