# Cross-compiling for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64).
#
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake
#
# The POSIX-threads flavour of the compilers is used where it is installed
# (std::thread and std::mutex need it); the C and C++ run-times and
# winpthreads are linked statically, so the DLL and the programs need no
# MinGW DLLs beside them. Libraries, headers and CMake packages are looked
# for only under the MinGW root, never among the build machine's own; point
# find_package at dependencies built for Windows with <Package>_DIR (as
# scripts/windows.sh does) or by adding their prefix to CMAKE_FIND_ROOT_PATH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_qz_mingw x86_64-w64-mingw32)
find_program(_qz_mingw_gcc NAMES ${_qz_mingw}-gcc-posix ${_qz_mingw}-gcc REQUIRED)
find_program(_qz_mingw_gxx NAMES ${_qz_mingw}-g++-posix ${_qz_mingw}-g++ REQUIRED)
set(CMAKE_C_COMPILER ${_qz_mingw_gcc})
set(CMAKE_CXX_COMPILER ${_qz_mingw_gxx})
set(CMAKE_RC_COMPILER ${_qz_mingw}-windres)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${_qz_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
