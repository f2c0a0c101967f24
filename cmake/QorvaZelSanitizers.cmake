# QORVA_ZEL_SANITIZE holds a list of sanitizers (address;undefined, thread);
# every target of the build is compiled and linked with them.
if(QORVA_ZEL_SANITIZE)
  list(JOIN QORVA_ZEL_SANITIZE "," _qorva_zel_sanitizers)
  add_compile_options(-fsanitize=${_qorva_zel_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_qorva_zel_sanitizers})
endif()
