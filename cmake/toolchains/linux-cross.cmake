# Shared part of the Linux cross toolchains (aarch64-linux-gnu.cmake,
# i686-linux-gnu.cmake, s390x-linux-gnu.cmake): Debian's cross compilers for
# the GNU triplet _qz_triplet, the target's libraries from Debian's multiarch
# packages (libpugixml-dev:arm64, libgtest-dev:arm64, ...), and qemu-user to
# run the target's programs (scripts/cpus.sh installs all of it).
#
# Headers and libraries come from /usr/include/<triplet> and
# /usr/lib/<triplet> (the multiarch directories) and from /usr/<triplet>
# (the cross C library); CMake packages from /usr/lib/<triplet>/cmake, so
# that find_package(pugixml) and find_package(GTest) take the target's and
# never the build machine's. Programs (nm, pkg-config, ...) are the build
# machine's.
#
# The tests, the test discovery and the tool's script run each target
# program through CMAKE_CROSSCOMPILING_EMULATOR: qemu-<cpu> with / as the
# root for the dynamic loader (-L /), so that the loader and the C library
# are both the multiarch libc6:<arch>. The cross C library's tree
# (/usr/<triplet>) is for linking only: its loader with the multiarch C
# library, which the loader finds through /etc/ld.so.cache, is two builds of
# glibc in one process, and the first pthread_create spins for ever.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_LIBRARY_ARCHITECTURE ${_qz_triplet})

find_program(_qz_cross_gcc NAMES ${_qz_triplet}-gcc REQUIRED)
find_program(_qz_cross_gxx NAMES ${_qz_triplet}-g++ REQUIRED)
set(CMAKE_C_COMPILER ${_qz_cross_gcc})
set(CMAKE_CXX_COMPILER ${_qz_cross_gxx})

# The multiarch directories lie under /, the cross C library under
# /usr/<triplet>. With both roots searched ONLY, a library or package is the
# target's: the build machine's own live in /usr/lib/x86_64-linux-gnu,
# which no search for this triplet visits.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${_qz_triplet} /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(_qz_qemu NAMES qemu-${_qz_qemu_cpu} qemu-${_qz_qemu_cpu}-static)
  if(_qz_qemu)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${_qz_qemu} -L /)
  endif()
endif()
