// Writing the whole settings file.
#pragma once

#include "qorva_zel.h"
#include "core/sdk_state.h"

#include <cstdint>

namespace qorva_zel {

QORVA_ZEL_Status SaveConfigFile(SdkState& state, std::uint32_t discardUnregistered);

} // namespace qorva_zel
