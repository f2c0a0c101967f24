// Display resolutions: comparing them and checking one against the
// registered list.
#pragma once

#include "qorva_zel.h"

#include <vector>

namespace qorva_zel {

// Width and height as integers, refresh rates exactly as floats (a NaN rate
// matches nothing): how a resolution is looked up in the registered list.
bool SameResolution(const QORVA_ZEL_Resolution& a, const QORVA_ZEL_Resolution& b) noexcept;

// As SameResolution, except that a NaN refresh rate equals a NaN one: how the
// current resolution is compared with the saved one.
bool SameSavedResolution(const QORVA_ZEL_Resolution& current, const QORVA_ZEL_Resolution& saved) noexcept;

// An empty list allows every resolution; otherwise it must be listed.
bool IsAllowedResolution(const std::vector<QORVA_ZEL_Resolution>& list,
                         const QORVA_ZEL_Resolution& resolution) noexcept;

} // namespace qorva_zel
