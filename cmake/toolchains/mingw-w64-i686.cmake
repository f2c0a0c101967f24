# Cross-compiling for 32-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-i686).
#
#   cmake -S . -B build/windows32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-i686.cmake
#
# The POSIX-threads flavour of the compilers is used where it is installed
# (std::thread and std::mutex need it); the C and C++ run-times and
# winpthreads are linked statically, so the DLL and the programs need no
# MinGW DLLs beside them. Libraries, headers and CMake packages are looked
# for only under the MinGW root, never among the build machine's own; point
# find_package at dependencies built for Windows with <Package>_DIR (as
# scripts/windows.sh does) or by adding their prefix to CMAKE_FIND_ROOT_PATH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(_qz_mingw i686-w64-mingw32)
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

# SSE2 arithmetic rather than the x87's: float values are then rounded to
# float as on x64, so the step checks and the settings file's numbers come
# out the same on both (every x86 processor Windows still runs on has SSE2).
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
