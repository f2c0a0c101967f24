cmake_minimum_required(VERSION 3.25)

# Installs a build into a fresh prefix with `cmake --install` and checks what
# arrived there: the header, the library with its SONAME links, the CMake
# package and the pkg-config file, and nothing of the internal targets.
#
#   cmake -DBUILD_DIR=... -DPREFIX=... -DLIBDIR=lib -DINCLUDEDIR=include
#         -DCMAKEDIR=lib/cmake/QorvaZel -DVERSION=2.3.0 -DSOVERSION=2
#         [-DCONFIG=...] [-DCLEAN_DIRS=dir|dir...] -P install_check.cmake

foreach(var BUILD_DIR PREFIX LIBDIR INCLUDEDIR CMAKEDIR VERSION SOVERSION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "install_check.cmake: ${var} is not set")
  endif()
endforeach()

# A fresh prefix, and fresh build directories for the consumers (so that
# they find the package anew rather than through their caches).
string(REPLACE "|" ";" clean_dirs "${CLEAN_DIRS}")
file(REMOVE_RECURSE "${PREFIX}" ${clean_dirs})
foreach(dir IN LISTS clean_dirs PREFIX)
  if(EXISTS "${dir}")
    message(FATAL_ERROR "could not remove ${dir}")
  endif()
endforeach()

set(config_args)
if(CONFIG)
  set(config_args --config "${CONFIG}")
endif()
execute_process(
  COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}" ${config_args}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
message("${output}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result})")
endif()

set(problems)
set(lib "${PREFIX}/${LIBDIR}")
set(real "libqorva_zel.so.${VERSION}")

if(NOT EXISTS "${PREFIX}/${INCLUDEDIR}/qorva_zel.h")
  list(APPEND problems "header ${INCLUDEDIR}/qorva_zel.h missing")
endif()
if(NOT EXISTS "${lib}/${real}" OR IS_SYMLINK "${lib}/${real}")
  list(APPEND problems "${LIBDIR}/${real} missing or not a plain file")
endif()
foreach(link "libqorva_zel.so.${SOVERSION}" "libqorva_zel.so")
  if(NOT IS_SYMLINK "${lib}/${link}")
    list(APPEND problems "${LIBDIR}/${link} is not a symbolic link")
  else()
    file(REAL_PATH "${lib}/${link}" target)
    get_filename_component(target_name "${target}" NAME)
    if(NOT target_name STREQUAL real)
      list(APPEND problems "${LIBDIR}/${link} leads to ${target_name}, not ${real}")
    endif()
  endif()
endforeach()
foreach(file QorvaZelConfig.cmake QorvaZelConfigVersion.cmake QorvaZelTargets.cmake)
  if(NOT EXISTS "${PREFIX}/${CMAKEDIR}/${file}")
    list(APPEND problems "${CMAKEDIR}/${file} missing")
  endif()
endforeach()

set(targets_file "${PREFIX}/${CMAKEDIR}/QorvaZelTargets.cmake")
if(EXISTS "${targets_file}")
  file(READ "${targets_file}" targets)
  string(FIND "${targets}" "pugixml" at)
  if(NOT at EQUAL -1)
    list(APPEND problems "QorvaZelTargets.cmake passes pugixml on to games")
  endif()
  string(FIND "${targets}" "add_library(QorvaZel::QorvaZel SHARED IMPORTED)" at)
  if(at EQUAL -1)
    list(APPEND problems "QorvaZelTargets.cmake defines no shared QorvaZel::QorvaZel")
  endif()
endif()

set(pc_file "${lib}/pkgconfig/qorvazel.pc")
if(NOT EXISTS "${pc_file}")
  list(APPEND problems "${LIBDIR}/pkgconfig/qorvazel.pc missing")
else()
  file(STRINGS "${pc_file}" pc)
  if(NOT "Version: ${VERSION}" IN_LIST pc)
    list(APPEND problems "qorvazel.pc does not say Version: ${VERSION}")
  endif()
  if(NOT "Libs: -L\${libdir} -lqorva_zel" IN_LIST pc)
    list(APPEND problems "qorvazel.pc has no line Libs: -L\${libdir} -lqorva_zel")
  endif()
endif()

# Only the public header and the shared library's files, nothing internal:
# the example programs' sources are docs, the programs are not installed.
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
foreach(path IN LISTS installed)
  if(path MATCHES "internal|objects|\\.a$|gtest|bench|settings_menu(_cxx)?(\\.exe)?$")
    list(APPEND problems "unexpected file installed: ${path}")
  endif()
endforeach()
list(LENGTH installed count)
message("installed ${count} files under ${PREFIX}")

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "install check failed:\n  ${text}")
endif()
message("install check passed")
