# Cross-compiling for 64-bit ARM Linux with Debian's cross compilers
# (crossbuild-essential-arm64), the tests run under qemu-aarch64.
#
#   cmake -S . -B build/aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake
#
# linux-cross.cmake beside this file has what the three Linux targets share.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(_qz_triplet aarch64-linux-gnu)
set(_qz_qemu_cpu aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
