// Telling whether the current state differs from the last load or save.
#pragma once

#include "qorva_zel.h"
#include "core/sdk_state.h"

namespace qorva_zel {

QORVA_ZEL_Status CheckForDirtyOptions(SdkState& state);

} // namespace qorva_zel
