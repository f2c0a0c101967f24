# shellcheck shell=bash
# The release's builds and packages, sourced by scripts/release.sh (which
# sets root, out, dist and parallel). Each platform is built twice from the
# same sources, shared (with its symbols split off) and static, and CPack
# packs both builds' install trees into one set of packages.

rel_say() {
  echo "release: $*"
}

# rel_configure NAME CMAKE_ARG...: configures build/release/NAME for a
# release: optimised with symbols, warnings as errors, no tests.
rel_configure() {
  local name=$1
  shift
  cmake -S "$root" -B "$out/$name" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQORVA_ZEL_WERROR=ON \
    -DQORVA_ZEL_BUILD_TESTS=OFF -DQORVA_ZEL_BUILD_EXAMPLES=OFF -DQORVA_ZEL_BUILD_FUZZERS=OFF \
    -DQORVA_ZEL_BUILD_BENCHMARKS=OFF "$@" >"$out/$name.configure.log" ||
    { cat "$out/$name.configure.log"; return 1; }
  cmake --build "$out/$name" --parallel "$parallel" >"$out/$name.build.log" ||
    { tail -n 40 "$out/$name.build.log"; return 1; }
}

# rel_cpack NAME: runs CPack in build/release/NAME and moves its packages to dist/.
rel_cpack() {
  local dir=$out/$1
  rm -rf "$dir/packages"
  (cd "$dir" && cpack >"$dir/cpack.log") || { cat "$dir/cpack.log"; return 1; }
  find "$dir/packages" -maxdepth 1 -type f \( -name '*.deb' -o -name '*.tar.gz' -o -name '*.zip' \) \
    -exec mv -f {} "$dist/" \;
}

# Linux: the .tar.gz of the installed tree and the .debs. /usr as the prefix,
# so that the library directory is Debian's multiarch one; the tarball's
# files are relative and its pkg-config file finds the prefix from its own
# place.
release_linux() {
  rel_say "Linux: static and shared builds"
  rel_configure linux-static -DQORVA_ZEL_BUILD_SHARED=OFF -DQORVA_ZEL_BUILD_TOOLS=OFF -DCMAKE_INSTALL_PREFIX=/usr
  rel_configure linux-shared -DQORVA_ZEL_BUILD_SHARED=ON -DQORVA_ZEL_SPLIT_DEBUG=ON \
    -DCMAKE_INSTALL_PREFIX=/usr -DQORVA_ZEL_PACKAGE_STATIC_DIR="$out/linux-static"
  rel_say "Linux: packages"
  rel_cpack linux-shared
}

# release_windows ARCH (x64 or x86): the zip, from MinGW-w64 cross-builds on
# the Windows builds of pugixml that scripts/windows.sh makes.
release_windows() {
  local arch=$1 toolchain deps_dir
  case $arch in
    x64)
      toolchain=$root/cmake/toolchains/mingw-w64-x86_64.cmake
      deps_dir=$root/build/windows/deps/prefix
      ;;
    x86)
      toolchain=$root/cmake/toolchains/mingw-w64-i686.cmake
      deps_dir=$root/build/windows32/deps/prefix
      ;;
    *)
      rel_say "unknown Windows architecture $arch" >&2
      return 1
      ;;
  esac
  if [[ ! -f "$deps_dir/lib/cmake/pugixml/pugixml-config.cmake" ]]; then
    rel_say "no Windows $arch build of pugixml in $deps_dir" >&2
    return 1
  fi
  rel_say "Windows $arch: static and shared builds"
  local common=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -Dpugixml_DIR="$deps_dir/lib/cmake/pugixml")
  rel_configure "windows-$arch-static" "${common[@]}" -DQORVA_ZEL_BUILD_SHARED=OFF -DQORVA_ZEL_BUILD_TOOLS=OFF
  rel_configure "windows-$arch-shared" "${common[@]}" -DQORVA_ZEL_BUILD_SHARED=ON -DQORVA_ZEL_SPLIT_DEBUG=ON \
    -DQORVA_ZEL_PACKAGE_STATIC_DIR="$out/windows-$arch-static"
  rel_say "Windows $arch: zip"
  rel_cpack "windows-$arch-shared"
}

# SHA256SUMS over every package in dist/.
release_sums() {
  (cd "$dist" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | LC_ALL=C sort |
    xargs -r sha256sum >SHA256SUMS)
  rel_say "dist/SHA256SUMS: $(wc -l <"$dist/SHA256SUMS") files"
}
