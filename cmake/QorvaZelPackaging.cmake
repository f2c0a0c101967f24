# Release packages, made with CPack (scripts/release.sh drives it):
#   Linux    qorvazel-<version>-linux-<arch>.tar.gz of the installed tree, and
#            Debian packages libqorvazel2 (the shared library), libqorvazel-dev
#            (headers, CMake package, pkg-config file, static library,
#            bindings), libqorvazel2-dbg (the shared library's symbols) and
#            qorvazel (the command-line tool).
#   Windows  qorvazel-<version>-windows-<x64|x86>.zip: the DLL, its import
#            libraries for MinGW and for Visual Studio, the static library,
#            the headers, the CMake package, the tool, the bindings, the docs.
# Each kind carries its own README (packaging/README.<linux|windows>.md.in),
# whose links are relative to where it is installed.
#
# With QORVA_ZEL_SPLIT_DEBUG (src/CMakeLists.txt) the shared library is
# stripped and its symbols kept in <library>.debug, named by a GNU debuglink;
# the .debug file is installed as the Debug component. QORVA_ZEL_PACKAGE_STATIC_DIR names the build
# directory of a static build (QORVA_ZEL_BUILD_SHARED=OFF) of the same
# sources whose library goes into the packages too.
# (QORVA_ZEL_PACKAGE_STATIC_DIR, declared in the top CMakeLists.txt).

set(_qz_docdir "${CMAKE_INSTALL_DOCDIR}")
if(WIN32)
  set(_qz_docdir .)
endif()

# The licence with the library; pugixml's notice wherever its code is: in the
# static library, and on Windows in the DLL, which links it in. The packages'
# docs: a README for each kind of package (packaging/), true for what it
# holds, the docs/ folder and the example programs, which the guide links to.
if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(QORVA_ZEL_WINDOWS_ARCH x64)
    set(QORVA_ZEL_WINDOWS_BITS 64)
  else()
    set(QORVA_ZEL_WINDOWS_ARCH x86)
    set(QORVA_ZEL_WINDOWS_BITS 32)
  endif()
  set(_qz_readme "${PROJECT_SOURCE_DIR}/packaging/README.windows.md.in")
else()
  set(_qz_readme "${PROJECT_SOURCE_DIR}/packaging/README.linux.md.in")
endif()
configure_file("${_qz_readme}" "${PROJECT_BINARY_DIR}/packaging/README.md" @ONLY)

install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION "${_qz_docdir}" COMPONENT Runtime)
if(WIN32)
  install(FILES "${PROJECT_SOURCE_DIR}/licenses/pugixml.txt" DESTINATION licenses COMPONENT Runtime)
else()
  install(FILES "${PROJECT_SOURCE_DIR}/licenses/pugixml.txt" DESTINATION "${_qz_docdir}/licenses"
          COMPONENT Development)
endif()
install(FILES "${PROJECT_BINARY_DIR}/packaging/README.md" DESTINATION "${_qz_docdir}" COMPONENT Development)
install(DIRECTORY "${PROJECT_SOURCE_DIR}/docs/" DESTINATION "${_qz_docdir}/docs" COMPONENT Development)
install(FILES "${PROJECT_SOURCE_DIR}/examples/settings_menu.c" "${PROJECT_SOURCE_DIR}/examples/settings_menu.cpp"
        DESTINATION "${_qz_docdir}/examples" COMPONENT Development)
# The settings screen's sources, which the kit's guide walks through.
install(DIRECTORY "${PROJECT_SOURCE_DIR}/examples/settings_screen" DESTINATION "${_qz_docdir}/examples"
        COMPONENT Development)

# The command-line tool (installed by QorvaZelInstall.cmake as the Tool
# component), stripped in a release.
if(TARGET qorvazel)
  if(QORVA_ZEL_SPLIT_DEBUG AND CMAKE_STRIP)
    install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\"
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/qorvazel${CMAKE_EXECUTABLE_SUFFIX}\")"
      COMPONENT Tool)
  endif()
endif()

if(QORVA_ZEL_SPLIT_DEBUG AND QORVA_ZEL_BUILD_SHARED)
  # src/CMakeLists.txt strips the library after linking it.
  if(WIN32)
    # Beside the DLL, where a debugger looks for a debuglink's file.
    install(FILES $<TARGET_FILE:qorva_zel>.debug DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT Debug)
  else()
    # In .debug/ beside the library, which gdb searches too.
    install(FILES $<TARGET_FILE:qorva_zel>.debug DESTINATION "${CMAKE_INSTALL_LIBDIR}/.debug" COMPONENT Debug)
  endif()
endif()

# Visual Studio links against an import library in its own format, made
# from the module definition file: qorva_zel.lib beside MinGW's
# libqorva_zel.dll.a.
if(WIN32 AND QORVA_ZEL_BUILD_SHARED AND NOT MSVC)
  find_program(QORVA_ZEL_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 ${CMAKE_CXX_COMPILER_TARGET}-dlltool)
  if(NOT QORVA_ZEL_DLLTOOL)
    get_filename_component(_qz_gcc_dir "${CMAKE_CXX_COMPILER}" DIRECTORY)
    find_program(QORVA_ZEL_DLLTOOL NAMES x86_64-w64-mingw32-dlltool i686-w64-mingw32-dlltool HINTS "${_qz_gcc_dir}")
  endif()
  if(QORVA_ZEL_DLLTOOL)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      set(_qz_machine i386:x86-64)
    else()
      set(_qz_machine i386)
    endif()
    set(_qz_lib "${PROJECT_BINARY_DIR}/lib/qorva_zel.lib")
    add_custom_command(OUTPUT "${_qz_lib}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${PROJECT_BINARY_DIR}/lib"
      COMMAND "${QORVA_ZEL_DLLTOOL}" -m ${_qz_machine} -d "${PROJECT_SOURCE_DIR}/src/qorva_zel.def"
              -D qorva_zel.dll -l "${_qz_lib}"
      DEPENDS "${PROJECT_SOURCE_DIR}/src/qorva_zel.def"
      COMMENT "Making the Visual Studio import library qorva_zel.lib"
      VERBATIM)
    add_custom_target(qorva_zel_msvc_implib ALL DEPENDS "${_qz_lib}")
    install(FILES "${_qz_lib}" DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT Development)
  else()
    message(STATUS "no llvm-dlltool or dlltool: no qorva_zel.lib for Visual Studio")
  endif()
endif()

# ---- CPack -------------------------------------------------------------------
set(CPACK_PACKAGE_NAME qorvazel)
set(CPACK_PACKAGE_VENDOR "The Qorva Zel developers")
set(CPACK_PACKAGE_CONTACT "The Qorva Zel developers <qorvazel@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_RESOURCE_FILE_README "${PROJECT_BINARY_DIR}/packaging/README.md")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/packages")
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/")
if(QORVA_ZEL_PACKAGE_STATIC_DIR)
  list(APPEND CPACK_INSTALL_CMAKE_PROJECTS "${QORVA_ZEL_PACKAGE_STATIC_DIR};${PROJECT_NAME};ALL;/")
endif()
set(CPACK_COMPONENTS_ALL Runtime Development Debug)
if(TARGET qorvazel)
  list(APPEND CPACK_COMPONENTS_ALL Tool)
endif()
if(TARGET qorva_zel_kit_static)
  list(APPEND CPACK_COMPONENTS_ALL Kit KitDevelopment)
  set(CPACK_COMPONENT_KIT_DEPENDS Runtime)
  set(CPACK_COMPONENT_KITDEVELOPMENT_DEPENDS Kit Development)
endif()
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS Runtime)
set(CPACK_COMPONENT_DEBUG_DEPENDS Runtime)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "qorvazel-${PROJECT_VERSION}-windows-${QORVA_ZEL_WINDOWS_ARCH}")
  set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR TGZ DEB)
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" _qz_system)
  set(CPACK_PACKAGE_FILE_NAME "qorvazel-${PROJECT_VERSION}-${_qz_system}")
  set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)

  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/qorvazel/qorvazel")
  set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME "libqorvazel${PROJECT_VERSION_MAJOR}")
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
  # libc6, libstdc++6, libgcc-s1 and pugixml's libpugixml1v5, from the library's NEEDED entries.
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libqorvazel-dev)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_TOOL_PACKAGE_NAME qorvazel)
  set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_TOOL_PACKAGE_SHLIBDEPS ON)
  set(CPACK_COMPONENT_TOOL_DESCRIPTION "Command-line tool for Qorva Zel settings files
 qorvazel shows, checks and edits a game's graphics-settings file (show,
 check, get, set, set-resolution, dump) with the library's own reader,
 validation and writer.")
  set(CPACK_DEBIAN_KIT_PACKAGE_NAME "libqorvazel-kit${PROJECT_VERSION_MAJOR}")
  set(CPACK_DEBIAN_KIT_PACKAGE_SECTION libs)
  # dpkg-shlibdeps cannot see the library in its own package's staging
  # folder, so the kit's C and C++ run-time dependencies are named here and
  # the library's comes from the component dependency.
  set(CPACK_DEBIAN_KIT_PACKAGE_SHLIBDEPS OFF)
  set(CPACK_DEBIAN_KIT_PACKAGE_DEPENDS "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1 (>= 3.0)")
  set(CPACK_DEBIAN_KITDEVELOPMENT_PACKAGE_NAME libqorvazel-kit-dev)
  set(CPACK_DEBIAN_KITDEVELOPMENT_PACKAGE_SECTION libdevel)
  set(CPACK_COMPONENT_KIT_DESCRIPTION "Settings kit for the Qorva Zel graphics-settings library
 A game describes its settings once in a JSON schema; the kit registers
 them, picks a preset from the hardware on the first run, migrates older
 settings files and lists what a settings menu needs.")
  set(CPACK_COMPONENT_KITDEVELOPMENT_DESCRIPTION "Settings kit for Qorva Zel (development files)
 The C and C++ headers of the settings kit, its CMake targets, the static
 kit of a static build, the JSON Schema of its schema files, and its C#
 file QorvaZelKit.cs (the Python module comes with libqorvazel-dev).")
  set(CPACK_DEBIAN_DEBUG_PACKAGE_NAME "libqorvazel${PROJECT_VERSION_MAJOR}-dbg")
  set(CPACK_DEBIAN_DEBUG_PACKAGE_SECTION debug)
  set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "Graphics-settings library for games (shared library)
 Qorva Zel keeps a game's graphics options, checks the values a game sets
 against their limits and saves them in a settings file.")
  set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "Graphics-settings library for games (development files)
 The C and C++ headers, the CMake package QorvaZel, the pkg-config file
 qorvazel.pc, the static library with pugixml linked in, and the C# and
 Python bindings.")
  set(CPACK_COMPONENT_DEBUG_DESCRIPTION "Graphics-settings library for games (debug symbols)
 The symbols of libqorva_zel.so, found by gdb through the library's debuglink.")
endif()

include(CPack)
