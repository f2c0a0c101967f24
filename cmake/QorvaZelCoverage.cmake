# QORVA_ZEL_COVERAGE (GCC): every target is compiled and linked with
# --coverage, and qorva_zel_coverage_report() registers two CTest tests,
# labelled "coverage" so that no other selection runs them:
#   coverage_reset   removes the counters (.gcda files) of earlier runs
#   coverage_report  gcovr's line and branch coverage of src/, a table per
#                    file and the totals; fails below QORVA_ZEL_COVERAGE_FAIL_UNDER
# The coverage workflow (CMakePresets.json) runs the reset, then the tests
# labelled "public", then the report, each as a test step of its own.
if(QORVA_ZEL_COVERAGE)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    message(FATAL_ERROR "QORVA_ZEL_COVERAGE needs GCC (the compiler is ${CMAKE_CXX_COMPILER_ID})")
  endif()
  # Atomic counters: the tests run threads and fork processes, and counters
  # updated without them come out wrong (gcov then reports negative counts).
  add_compile_options(--coverage -fprofile-update=atomic)
  add_link_options(--coverage -fprofile-update=atomic)
endif()

function(qorva_zel_coverage_report)
  if(NOT QORVA_ZEL_COVERAGE)
    return()
  endif()
  find_program(QORVA_ZEL_GCOVR NAMES gcovr REQUIRED)
  string(REGEX MATCH "^[0-9]+" _major "${CMAKE_CXX_COMPILER_VERSION}")
  find_program(QORVA_ZEL_GCOV NAMES gcov-${_major} gcov REQUIRED)
  add_test(NAME coverage_reset
    COMMAND ${CMAKE_COMMAND} -DDIR=${PROJECT_BINARY_DIR} -DREMOVE=*.gcda
            -P ${PROJECT_SOURCE_DIR}/cmake/QorvaZelFreshDirectory.cmake)
  add_test(NAME coverage_report
    COMMAND ${QORVA_ZEL_GCOVR}
      --root ${PROJECT_SOURCE_DIR}
      --filter ${PROJECT_SOURCE_DIR}/src/
      # The gate holds the library; the settings kit, a library of its own
      # with its own end-to-end tests, is not counted in it.
      --exclude ${PROJECT_SOURCE_DIR}/src/kit/
      --object-directory ${PROJECT_BINARY_DIR}
      --gcov-executable ${QORVA_ZEL_GCOV}
      --exclude-unreachable-branches --exclude-throw-branches
      # Counts of a child process that exits after fork() can make gcov
      # print a negative branch count; such a line is skipped, not fatal.
      --gcov-ignore-parse-errors
      --print-summary
      --fail-under-line ${QORVA_ZEL_COVERAGE_FAIL_UNDER}
      # Only this build's counters: the source tree may hold other builds,
      # and a Wine prefix's z: drive leads back to the whole file system.
      ${PROJECT_BINARY_DIR}
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
  set_tests_properties(coverage_reset coverage_report PROPERTIES LABELS coverage)
endfunction()
