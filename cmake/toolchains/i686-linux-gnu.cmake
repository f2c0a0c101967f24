# Cross-compiling for 32-bit x86 Linux with Debian's cross compilers
# (crossbuild-essential-i386), the tests run under qemu-i386 (user-mode
# emulation also works where the kernel runs no 32-bit programs). Its
# 4-byte pointers and size_t are those of the 32-bit Windows build.
#
#   cmake -S . -B build/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i686-linux-gnu.cmake
#
# linux-cross.cmake beside this file has what the three Linux targets share.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(_qz_triplet i686-linux-gnu)
set(_qz_qemu_cpu i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

# SSE2 arithmetic rather than the x87's, as in the 32-bit Windows build:
# float values are then rounded to float as on x86-64.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
