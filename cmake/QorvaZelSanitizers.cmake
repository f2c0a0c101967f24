# QORVA_ZEL_SANITIZE holds a list of sanitizers (address;undefined, thread);
# every target of the build is compiled and linked with them.
if(QORVA_ZEL_SANITIZE)
  list(JOIN QORVA_ZEL_SANITIZE "," _qorva_zel_sanitizers)
  add_compile_options(-fsanitize=${_qorva_zel_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_qorva_zel_sanitizers})
  if(CMAKE_C_COMPILER_ID MATCHES "Clang")
    # The library is C++: a C program that loads it needs the C++ parts of
    # the sanitizer run-time too, which clang links for C++ programs only.
    add_link_options($<$<LINK_LANGUAGE:C>:-fsanitize-link-c++-runtime>)
    string(APPEND CMAKE_C_STANDARD_LIBRARIES " -lstdc++")
  endif()
endif()

# QORVA_ZEL_LIBFUZZER builds the fuzz targets (fuzz/) as libFuzzer programs
# (clang only). Every target is then compiled with libFuzzer's coverage
# instrumentation, so the fuzzer sees the library's branches; the fuzz targets
# alone link libFuzzer's run-time. Without it the fuzz targets are corpus
# replay programs that any compiler builds.
if(QORVA_ZEL_LIBFUZZER)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QORVA_ZEL_LIBFUZZER needs clang (the compiler is ${CMAKE_CXX_COMPILER_ID})")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
