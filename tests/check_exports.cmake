# Checks what the shared library shows to the dynamic linker: exactly the
# thirteen QORVA_ZEL_ functions as defined symbols, and the SONAME.
#
#   cmake -DLIBRARY=<libqorva_zel.so> -DNM=<nm> -DREADELF=<readelf>
#         -DSONAME=<expected soname> -P check_exports.cmake

foreach(var LIBRARY NM READELF SONAME)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_exports.cmake: ${var} is not set")
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/exported_functions.cmake)

execute_process(
  COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE nm_output
  RESULT_VARIABLE nm_result)
if(NOT nm_result EQUAL 0)
  message(FATAL_ERROR "nm -D --defined-only ${LIBRARY} failed (${nm_result})")
endif()

# Each line is "<address> <kind> <name>"; a version-node marker such as
# "0000000000000000 A VERS_1" would be a defined symbol too and is counted.
set(found "")
set(not_functions "")
string(REPLACE "\n" ";" lines "${nm_output}")
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]* *([A-Za-z?]) ([^ ]+)$")
    set(kind "${CMAKE_MATCH_1}")
    set(name "${CMAKE_MATCH_2}")
    # nm adds "@VERSION" or "@@VERSION" to versioned symbols.
    string(REGEX REPLACE "@.*$" "" name "${name}")
    list(APPEND found "${name}")
    if(NOT kind STREQUAL "T")
      list(APPEND not_functions "${name} (${kind})")
    endif()
  elseif(NOT line STREQUAL "")
    message(FATAL_ERROR "unexpected nm output line: '${line}'")
  endif()
endforeach()

compare("exported symbols" "${found}")
if(not_functions)
  message(FATAL_ERROR "exported symbols that are not code: ${not_functions}")
endif()

execute_process(
  COMMAND ${READELF} -d ${LIBRARY}
  OUTPUT_VARIABLE readelf_output
  RESULT_VARIABLE readelf_result)
if(NOT readelf_result EQUAL 0)
  message(FATAL_ERROR "readelf -d ${LIBRARY} failed (${readelf_result})")
endif()
if(NOT readelf_output MATCHES "\\(SONAME\\)[^\n]*\\[([^]\n]*)\\]")
  message(FATAL_ERROR "no SONAME in ${LIBRARY}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL SONAME)
  message(FATAL_ERROR "SONAME is '${CMAKE_MATCH_1}', expected '${SONAME}'")
endif()

list(LENGTH found count)
message(STATUS "${count} exported functions, SONAME ${CMAKE_MATCH_1}")
