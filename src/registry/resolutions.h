// The registered display resolutions and the current one.
#pragma once

#include "qorva_zel.h"
#include "core/sdk_state.h"

#include <cstdint>

namespace qorva_zel {

QORVA_ZEL_Status RegisterResolutions(SdkState& state, const QORVA_ZEL_Resolution* resolutions, std::uint32_t count);
QORVA_ZEL_Status GetResolution(SdkState& state, QORVA_ZEL_Resolution& resolution);
QORVA_ZEL_Status SetResolution(SdkState& state, const QORVA_ZEL_Resolution& resolution);

// Width and height as integers, refresh rates exactly as floats.
bool SameResolution(const QORVA_ZEL_Resolution& a, const QORVA_ZEL_Resolution& b) noexcept;

} // namespace qorva_zel
