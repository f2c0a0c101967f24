# The thirteen functions the library exports, and a check against them;
# included by the export checks of the shared library and of the DLL.

set(expected
  QORVA_ZEL_CheckForDirtyOptions
  QORVA_ZEL_GetOptionValue
  QORVA_ZEL_GetResolution
  QORVA_ZEL_GetVersion
  QORVA_ZEL_InitializeSDK
  QORVA_ZEL_LoadConfigFile
  QORVA_ZEL_RegisterOption
  QORVA_ZEL_RegisterResolutions
  QORVA_ZEL_ReleaseSDK
  QORVA_ZEL_ReleaseVariant
  QORVA_ZEL_SaveConfigFile
  QORVA_ZEL_SetOptionValue
  QORVA_ZEL_SetResolution)
list(SORT expected)

# compare(WHAT FOUND): FOUND must equal the expected names.
function(compare what found)
  list(SORT found)
  if(NOT found STREQUAL expected)
    set(extra ${found})
    list(REMOVE_ITEM extra ${expected})
    set(missing ${expected})
    list(REMOVE_ITEM missing ${found})
    list(JOIN extra "\n  " extra_text)
    list(JOIN missing "\n  " missing_text)
    message(FATAL_ERROR "${what} differ from the thirteen functions\n"
                        "not expected:\n  ${extra_text}\nmissing:\n  ${missing_text}")
  endif()
endfunction()
