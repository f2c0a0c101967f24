// Initialising and releasing the library.
#pragma once

#include "qorva_zel.h"
#include "core/sdk_state.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace qorva_zel {

// The longest settings path, its terminator included.
constexpr std::size_t kMaxSettingsPathUnits = 2048;

// ConfigPath "\" "GFXSettings" "." Executable ".xml"
std::u16string ComposeSettingsPath(std::u16string_view configPath, std::u16string_view executable);

// Every pointer of both records has been checked by the caller.
QORVA_ZEL_Status InitializeSdk(SdkState& state, const QORVA_ZEL_ApplicationInfo& appInfo,
                               const QORVA_ZEL_Version& version);
QORVA_ZEL_Status ReleaseSdk(SdkState& state);

} // namespace qorva_zel
