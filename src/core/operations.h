// The operations behind the exported functions. Each one runs with the lock
// held (RunOperation), on arguments whose pointers have been checked.
#pragma once

#include "qorva_zel.h"
#include "core/state.h"

#include <cstdint>
#include <string_view>

namespace qorva_zel {

// Lifecycle (lifecycle.cpp). InitializeSdk runs whatever the state.
QORVA_ZEL_Status InitializeSdk(SdkState& state, const QORVA_ZEL_ApplicationInfo& appInfo,
                               const QORVA_ZEL_Version& version);
QORVA_ZEL_Status ReleaseSdk(SdkState& state);

// Options (options.cpp). desc holds every pointer its type needs; an Enum
// variant's string is non-null.
QORVA_ZEL_Status RegisterOption(SdkState& state, const QORVA_ZEL_OptionDesc& desc);
QORVA_ZEL_Status GetOptionValue(SdkState& state, QORVA_ZEL_Variant& value, std::u16string_view name);
QORVA_ZEL_Status SetOptionValue(SdkState& state, const QORVA_ZEL_Variant& value, std::u16string_view name);

// Resolutions and the dirty check (resolutions.cpp, dirty_check.cpp).
QORVA_ZEL_Status RegisterResolutions(SdkState& state, const QORVA_ZEL_Resolution* resolutions, std::uint32_t count);
QORVA_ZEL_Status GetResolution(SdkState& state, QORVA_ZEL_Resolution& resolution);
QORVA_ZEL_Status SetResolution(SdkState& state, const QORVA_ZEL_Resolution& resolution);
QORVA_ZEL_Status CheckForDirtyOptions(SdkState& state);

// The settings file (load.cpp, save.cpp).
QORVA_ZEL_Status LoadConfigFile(SdkState& state);
QORVA_ZEL_Status SaveConfigFile(SdkState& state, std::uint32_t discardUnregistered);

} // namespace qorva_zel
