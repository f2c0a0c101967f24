# Checks what qorva_zel.dll shows to programs that load it: its export table
# holds exactly the thirteen QORVA_ZEL_ functions, by their plain names (no
# decoration, no ordinals only), the import library offers the same thirteen,
# and the DLL needs no MinGW run-time DLL beside it.
#
#   cmake -DLIBRARY=<qorva_zel.dll> -DIMPORT_LIBRARY=<qorva_zel.dll.a>
#         -DOBJDUMP=<objdump> -DNM=<nm> -P check_exports_windows.cmake

cmake_minimum_required(VERSION 3.25)

foreach(var LIBRARY IMPORT_LIBRARY OBJDUMP NM)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_exports_windows.cmake: ${var} is not set")
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/exported_functions.cmake)

# ---- The DLL's export table ----------------------------------------------------

execute_process(
  COMMAND ${OBJDUMP} -p ${LIBRARY}
  OUTPUT_VARIABLE dump
  RESULT_VARIABLE dump_result)
if(NOT dump_result EQUAL 0)
  message(FATAL_ERROR "objdump -p ${LIBRARY} failed (${dump_result})")
endif()
# Square brackets would group list elements; the table's "[n]" become "<n>".
string(REPLACE "[" "<" dump "${dump}")
string(REPLACE "]" ">" dump "${dump}")
string(REPLACE ";" "," dump "${dump}")

# The names follow "<Ordinal/Name Pointer> Table", one "<   n> Name" a line.
string(FIND "${dump}" "<Ordinal/Name Pointer> Table" table_start)
if(table_start EQUAL -1)
  message(FATAL_ERROR "${LIBRARY} has no table of exported names")
endif()
string(SUBSTRING "${dump}" ${table_start} -1 table)
string(FIND "${table}" "\n\n" table_end)
if(NOT table_end EQUAL -1)
  string(SUBSTRING "${table}" 0 ${table_end} table)
endif()
string(REPLACE "\n" ";" table_lines "${table}")
list(REMOVE_AT table_lines 0)
set(exported "")
foreach(line IN LISTS table_lines)
  if(line MATCHES "^[ \t]*< *[0-9]+> (.+)$")
    list(APPEND exported "${CMAKE_MATCH_1}")
  else()
    break()
  endif()
endforeach()
compare("names exported by ${LIBRARY}" "${exported}")

if(NOT dump MATCHES "\nName[ \t]+[0-9a-fA-F]+ qorva_zel\\.dll\n")
  message(FATAL_ERROR "the export directory of ${LIBRARY} does not name qorva_zel.dll")
endif()

# Only the system's DLLs: the C and C++ run-times are linked in.
string(REGEX MATCHALL "DLL Name: [^\n]+" import_lines "${dump}")
set(imports "")
foreach(import IN LISTS import_lines)
  string(REPLACE "DLL Name: " "" dll "${import}")
  list(APPEND imports "${dll}")
  string(TOLOWER "${dll}" dll_lower)
  if(dll_lower MATCHES "^(libstdc\\+\\+|libgcc|libwinpthread|libpugixml|pugixml)")
    message(FATAL_ERROR "${LIBRARY} needs ${dll}, which a game's folder does not have")
  endif()
endforeach()

# ---- The import library --------------------------------------------------------

execute_process(
  COMMAND ${NM} --defined-only ${IMPORT_LIBRARY}
  OUTPUT_VARIABLE nm_output
  RESULT_VARIABLE nm_result)
if(NOT nm_result EQUAL 0)
  message(FATAL_ERROR "nm --defined-only ${IMPORT_LIBRARY} failed (${nm_result})")
endif()
set(stubs "")
set(pointers "")
string(REPLACE "\n" ";" nm_lines "${nm_output}")
foreach(line IN LISTS nm_lines)
  if(line MATCHES "^[0-9a-fA-F]* *T (.+)$")
    list(APPEND stubs "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^[0-9a-fA-F]* *I __imp_(.+)$")
    list(APPEND pointers "${CMAKE_MATCH_1}")
  endif()
endforeach()
compare("functions of ${IMPORT_LIBRARY}" "${stubs}")
compare("import pointers (__imp_) of ${IMPORT_LIBRARY}" "${pointers}")

list(LENGTH exported count)
list(JOIN imports " " imports_text)
message(STATUS "${count} exported functions by plain names; the DLL loads ${imports_text}")
