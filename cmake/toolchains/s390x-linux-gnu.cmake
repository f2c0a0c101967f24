# Cross-compiling for IBM Z Linux, a 64-bit big-endian CPU, with Debian's
# cross compilers (crossbuild-essential-s390x), the tests run under
# qemu-s390x. It shows that what the library writes and reads does not
# depend on the machine's byte order.
#
#   cmake -S . -B build/s390x -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/s390x-linux-gnu.cmake
#
# linux-cross.cmake beside this file has what the three Linux targets share.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(_qz_triplet s390x-linux-gnu)
set(_qz_qemu_cpu s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
