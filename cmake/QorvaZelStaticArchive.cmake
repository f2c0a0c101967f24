# Makes the static library libqorva_zel.a one relocatable object that carries
# pugixml inside it and exports only the thirteen functions:
#  1. `ld -r` links the library's objects and pugixml's whole archive into one;
#  2. on ELF, every defined global symbol except the thirteen (pugixml's, the
#     library's own, the weak copies of standard-library templates) is made
#     local and the COMDAT groups are dissolved: the game's own copies of
#     the same templates or a pugixml of its own can then neither clash with
#     ours nor make the linker drop a group our local symbols point into;
#  3. the archive is remade of that one object.
# Run by the build (src/CMakeLists.txt) after the archive is made:
#
#   cmake -DARCHIVE=libqorva_zel.a "-DOBJECTS=a.o;b.o" -DPUGIXML=libpugixml.a
#         -DDEF=qorva_zel.def -DLD=ld -DNM=nm -DOBJCOPY=objcopy -DAR=ar
#         -DRANLIB=ranlib -DWORK=combined.o [-DELF=ON] -P QorvaZelStaticArchive.cmake

cmake_minimum_required(VERSION 3.25)

foreach(var ARCHIVE OBJECTS PUGIXML DEF LD NM OBJCOPY AR WORK)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "QorvaZelStaticArchive.cmake: ${var} is not set")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    list(JOIN ARGN " " text)
    message(FATAL_ERROR "${text} failed (${rc}):\n${out}${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

run("${LD}" -r -o "${WORK}.all" ${OBJECTS} --whole-archive "${PUGIXML}" --no-whole-archive)

if(ELF)
  # The exported names, from the module definition file of the DLL.
  file(STRINGS "${DEF}" def_lines REGEX "^[ \t]+QORVA_ZEL_[A-Za-z]+")
  set(exported)
  foreach(line IN LISTS def_lines)
    string(STRIP "${line}" name)
    list(APPEND exported "${name}")
  endforeach()
  list(LENGTH exported count)
  if(NOT count EQUAL 13)
    message(FATAL_ERROR "${DEF} names ${count} functions, expected 13")
  endif()

  run("${NM}" --defined-only --extern-only --format=posix "${WORK}.all")
  string(REPLACE "\n" ";" lines "${run_output}")
  set(local_names "")
  set(unique "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([^ ]+) ([A-Za-z]) ")
      set(name "${CMAKE_MATCH_1}")
      if(CMAKE_MATCH_2 STREQUAL "u")
        list(APPEND unique "${name}")
      elseif(NOT name IN_LIST exported)
        string(APPEND local_names "${name}\n")
      endif()
    endif()
  endforeach()
  if(unique)
    # objcopy cannot make STB_GNU_UNIQUE symbols local; the objects are
    # compiled with -fno-gnu-unique for this build.
    list(JOIN unique "\n  " text)
    message(FATAL_ERROR "unique symbols in the static library's objects:\n  ${text}")
  endif()
  file(WRITE "${WORK}.local" "${local_names}")
  run("${OBJCOPY}" --remove-section=.group "--localize-symbols=${WORK}.local" "${WORK}.all" "${WORK}")
  file(REMOVE "${WORK}.all" "${WORK}.local")
else()
  file(RENAME "${WORK}.all" "${WORK}")
endif()

file(REMOVE "${ARCHIVE}")
run("${AR}" qc "${ARCHIVE}" "${WORK}")
if(RANLIB)
  run("${RANLIB}" "${ARCHIVE}")
endif()
