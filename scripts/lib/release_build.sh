# shellcheck shell=bash
# The release's builds and packages, sourced by scripts/release.sh (which
# sets root, out, dist and parallel). Each platform is built twice from the
# same sources, shared (with its symbols split off) and static, and CPack
# packs both builds' install trees into one set of packages.

rel_say() {
  echo "release: $*"
}

# rel_configure PRESET CMAKE_ARG...: configures and builds the release
# configure preset PRESET of CMakePresets.json (optimised with symbols,
# warnings as errors, no tests) in build/release/PRESET.
rel_configure() {
  local name=$1
  shift
  cmake --preset "$name" -B "$out/$name" "$@" >"$out/$name.configure.log" ||
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
  rel_configure release-linux-static
  rel_configure release-linux-shared -DQORVA_ZEL_PACKAGE_STATIC_DIR="$out/release-linux-static"
  rel_say "Linux: packages"
  rel_cpack release-linux-shared
}

# release_windows ARCH (x64 or x86): the zip, from MinGW-w64 cross-builds on
# the Windows builds of pugixml that scripts/windows.sh makes.
release_windows() {
  local arch=$1 deps_dir
  case $arch in
    x64) deps_dir=$root/build/windows/deps/prefix ;;
    x86) deps_dir=$root/build/windows32/deps/prefix ;;
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
  rel_configure "release-windows-$arch-static"
  rel_configure "release-windows-$arch-shared" -DQORVA_ZEL_PACKAGE_STATIC_DIR="$out/release-windows-$arch-static"
  rel_say "Windows $arch: zip"
  rel_cpack "release-windows-$arch-shared"
}

# SHA256SUMS over every package in dist/.
release_sums() {
  (cd "$dist" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | LC_ALL=C sort |
    xargs -r sha256sum >SHA256SUMS)
  rel_say "dist/SHA256SUMS: $(wc -l <"$dist/SHA256SUMS") files"
}
