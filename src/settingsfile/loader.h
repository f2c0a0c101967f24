// Reading the settings file back into the library.
#pragma once

#include "qorva_zel.h"
#include "core/sdk_state.h"

namespace qorva_zel {

QORVA_ZEL_Status LoadConfigFile(SdkState& state);

} // namespace qorva_zel
