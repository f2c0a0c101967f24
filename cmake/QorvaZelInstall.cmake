# What `cmake --install` puts in place: the headers, the shared library with
# its SONAME links, the CMake package QorvaZel (target QorvaZel::QorvaZel and
# a version file), the pkg-config file qorvazel.pc and the C# and Python
# bindings under share/qorvazel/. pugixml is a private
# dependency of the shared library, so neither package asks for it. The
# object library and the internal archive of the tests are not installed.
include(CMakePackageConfigHelpers)

# QORVA_ZEL_INSTALL_CMAKEDIR (declared in the top CMakeLists.txt): where the
# CMake package files go.

# The shared library is QorvaZel::QorvaZel in QorvaZelTargets.cmake; the
# static one (QORVA_ZEL_BUILD_SHARED=OFF) is QorvaZel::QorvaZelStatic in
# QorvaZelStaticTargets.cmake, so that both builds can be installed into one
# prefix and the package offers what it finds there.
if(QORVA_ZEL_BUILD_SHARED)
  set(_qz_export QorvaZelTargets)
  set_target_properties(qorva_zel PROPERTIES EXPORT_NAME QorvaZel)
else()
  set(_qz_export QorvaZelStaticTargets)
  set_target_properties(qorva_zel PROPERTIES EXPORT_NAME QorvaZelStatic)
endif()

install(TARGETS qorva_zel
  EXPORT ${_qz_export}
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT Runtime
          NAMELINK_COMPONENT Development
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT Runtime
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT Development)

# The command-line tool for settings files, beside the library (bin/qorvazel,
# qorvazel.exe on Windows).
if(TARGET qorvazel)
  install(TARGETS qorvazel RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT Tool)
endif()

install(FILES "${PROJECT_SOURCE_DIR}/include/qorva_zel.h" "${PROJECT_SOURCE_DIR}/include/qorva_zel.hpp"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}" COMPONENT Development)

# The settings kit (src/kit), beside the library in components of its own:
# Kit (the shared library) and KitDevelopment (its headers and the JSON
# Schema of its schema files, and the static kit of a static build). As for
# the library, a shared build exports QorvaZel::Kit in
# QorvaZelKitTargets.cmake and a static one QorvaZel::KitStatic in
# QorvaZelKitStaticTargets.cmake, so that both install into one prefix.
if(TARGET qorva_zel_kit_static)
  if(QORVA_ZEL_BUILD_SHARED)
    set(_qz_kit qorva_zel_kit)
    set(_qz_kit_export QorvaZelKitTargets)
    set_target_properties(qorva_zel_kit PROPERTIES EXPORT_NAME Kit)
  else()
    set(_qz_kit qorva_zel_kit_static)
    set(_qz_kit_export QorvaZelKitStaticTargets)
    set_target_properties(qorva_zel_kit_static PROPERTIES EXPORT_NAME KitStatic)
  endif()
  install(TARGETS ${_qz_kit}
    EXPORT ${_qz_kit_export}
    LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT Kit
            NAMELINK_COMPONENT KitDevelopment
    RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT Kit
    ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT KitDevelopment)
  install(FILES "${PROJECT_SOURCE_DIR}/include/qorva_zel_kit.h" "${PROJECT_SOURCE_DIR}/include/qorva_zel_kit.hpp"
    DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}" COMPONENT KitDevelopment)
  install(FILES "${PROJECT_SOURCE_DIR}/docs/kit/settings-schema.schema.json"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/qorvazel/kit" COMPONENT KitDevelopment)
  # The kit's C# file beside QorvaZel.cs (the Python module qorvazel/kit.py
  # comes with the package below).
  if(EXISTS "${PROJECT_SOURCE_DIR}/bindings/csharp/QorvaZelKit.cs")
    install(FILES "${PROJECT_SOURCE_DIR}/bindings/csharp/QorvaZelKit.cs"
      DESTINATION "${CMAKE_INSTALL_DATADIR}/qorvazel/csharp" COMPONENT KitDevelopment)
  endif()
  install(EXPORT ${_qz_kit_export}
    NAMESPACE QorvaZel::
    FILE ${_qz_kit_export}.cmake
    DESTINATION "${QORVA_ZEL_INSTALL_CMAKEDIR}" COMPONENT KitDevelopment)
endif()

# The bindings: the C# file to drop into a game project and the Python
# package, under share/qorvazel/.
if(EXISTS "${PROJECT_SOURCE_DIR}/bindings/csharp/QorvaZel.cs")
  install(FILES "${PROJECT_SOURCE_DIR}/bindings/csharp/QorvaZel.cs"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/qorvazel/csharp" COMPONENT Development)
  install(DIRECTORY "${PROJECT_SOURCE_DIR}/bindings/python/qorvazel"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/qorvazel/python" COMPONENT Development
    PATTERN "__pycache__" EXCLUDE)
  install(FILES "${PROJECT_SOURCE_DIR}/bindings/python/pyproject.toml" "${PROJECT_SOURCE_DIR}/bindings/python/README.md"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/qorvazel/python" COMPONENT Development)
endif()

install(EXPORT ${_qz_export}
  NAMESPACE QorvaZel::
  FILE ${_qz_export}.cmake
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
# What `pkg-config --static` adds for the static library: the C++ run-time
# it needs (pugixml is inside it) and QORVA_ZEL_STATIC for the header.
if(WIN32)
  set(QORVA_ZEL_PC_LIBS_PRIVATE "-lstdc++ -lpthread")
else()
  set(QORVA_ZEL_PC_LIBS_PRIVATE "-lstdc++ -lm")
endif()
configure_file("${CMAKE_CURRENT_LIST_DIR}/qorvazel.pc.in" "${PROJECT_BINARY_DIR}/qorvazel.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/qorvazel.pc"
  DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig" COMPONENT Development)
