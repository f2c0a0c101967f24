cmake_minimum_required(VERSION 3.25)

# Installs the build into a fresh prefix and checks the bindings there: the
# C++ header beside the C header, the C# file, and the Python package, which
# must find the installed library by itself (no QORVAZEL_LIBRARY).
#
#   cmake -DBUILD_DIR=... -DPREFIX=... -DINCLUDEDIR=include -DDATADIR=share
#         -DPYTHON=python3 [-DKIT=ON] -P install_check.cmake

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result})")
endif()

foreach(path "${INCLUDEDIR}/qorva_zel.hpp" "${DATADIR}/qorvazel/csharp/QorvaZel.cs"
             "${DATADIR}/qorvazel/python/qorvazel/__init__.py" "${DATADIR}/qorvazel/python/pyproject.toml")
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "${path} is not installed")
  endif()
endforeach()

execute_process(
  COMMAND "${CMAKE_COMMAND}" -E env --unset=QORVAZEL_LIBRARY --unset=LD_LIBRARY_PATH PYTHONDONTWRITEBYTECODE=1
          "PYTHONPATH=${PREFIX}/${DATADIR}/qorvazel/python"
          "${PYTHON}" -c "import qorvazel; print(qorvazel.Settings.library_version())"
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output MATCHES "2, 3, 18713301, 0")
  message(FATAL_ERROR "the installed Python package did not load the installed library:\n${output}")
endif()
# With the settings kit: its headers, its C# file, and the Python kit module
# loading the installed kit (after the installed library) by itself.
if(KIT)
  foreach(path "${INCLUDEDIR}/qorva_zel_kit.h" "${INCLUDEDIR}/qorva_zel_kit.hpp" "${DATADIR}/qorvazel/csharp/QorvaZelKit.cs"
               "${DATADIR}/qorvazel/python/qorvazel/kit.py")
    if(NOT EXISTS "${PREFIX}/${path}")
      message(FATAL_ERROR "${path} is not installed")
    endif()
  endforeach()
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env --unset=QORVAZEL_LIBRARY --unset=QORVAZEL_KIT_LIBRARY --unset=LD_LIBRARY_PATH
            PYTHONDONTWRITEBYTECODE=1 "PYTHONPATH=${PREFIX}/${DATADIR}/qorvazel/python"
            "${PYTHON}" -c "from qorvazel import kit; print(kit._library()._name)"
    RESULT_VARIABLE result OUTPUT_VARIABLE kit_output ERROR_VARIABLE kit_output)
  if(NOT result EQUAL 0 OR NOT kit_output MATCHES "^${PREFIX}")
    message(FATAL_ERROR "the installed Python kit module did not load the installed kit:\n${kit_output}")
  endif()
endif()
message("installed bindings found; the Python package loaded ${output}")
