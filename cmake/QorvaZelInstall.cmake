# What `cmake --install` puts in place: the header, the shared library with
# its SONAME links, the CMake package QorvaZel (target QorvaZel::QorvaZel and
# a version file) and the pkg-config file qorvazel.pc. pugixml is a private
# dependency of the shared library, so neither package asks for it. The
# object library and the internal archive of the tests are not installed.
include(CMakePackageConfigHelpers)

set(QORVA_ZEL_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/QorvaZel"
    CACHE STRING "Where the CMake package files are installed, relative to the prefix")

set_target_properties(qorva_zel PROPERTIES EXPORT_NAME QorvaZel)

install(TARGETS qorva_zel
  EXPORT QorvaZelTargets
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT Runtime
          NAMELINK_COMPONENT Development
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT Runtime
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT Development)

install(FILES "${PROJECT_SOURCE_DIR}/include/qorva_zel.h"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}" COMPONENT Development)

install(EXPORT QorvaZelTargets
  NAMESPACE QorvaZel::
  FILE QorvaZelTargets.cmake
  DESTINATION "${QORVA_ZEL_INSTALL_CMAKEDIR}" COMPONENT Development)

configure_package_config_file(
  "${CMAKE_CURRENT_LIST_DIR}/QorvaZelConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/QorvaZelConfig.cmake"
  INSTALL_DESTINATION "${QORVA_ZEL_INSTALL_CMAKEDIR}")
write_basic_package_version_file(
  "${PROJECT_BINARY_DIR}/QorvaZelConfigVersion.cmake"
  VERSION "${PROJECT_VERSION}"
  COMPATIBILITY SameMajorVersion)
install(FILES
  "${PROJECT_BINARY_DIR}/QorvaZelConfig.cmake"
  "${PROJECT_BINARY_DIR}/QorvaZelConfigVersion.cmake"
  DESTINATION "${QORVA_ZEL_INSTALL_CMAKEDIR}" COMPONENT Development)

# pkg-config: with the usual relative directories the file finds the prefix
# from its own place (${pcfiledir}), so that an install under any prefix,
# `cmake --install --prefix DIR` included, gives a working file.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(QORVA_ZEL_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
  set(QORVA_ZEL_PC_LIBDIR "${CMAKE_INSTALL_FULL_LIBDIR}")
  set(QORVA_ZEL_PC_INCLUDEDIR "${CMAKE_INSTALL_FULL_INCLUDEDIR}")
else()
  file(RELATIVE_PATH _qorva_zel_up "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
  string(REGEX REPLACE "/$" "" _qorva_zel_up "${_qorva_zel_up}")
  set(QORVA_ZEL_PC_PREFIX "\${pcfiledir}/${_qorva_zel_up}")
  set(QORVA_ZEL_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
  set(QORVA_ZEL_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
configure_file("${CMAKE_CURRENT_LIST_DIR}/qorvazel.pc.in" "${PROJECT_BINARY_DIR}/qorvazel.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/qorvazel.pc"
  DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig" COMPONENT Development)
