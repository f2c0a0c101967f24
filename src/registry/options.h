// Registering options and reading and setting their values.
#pragma once

#include "qorva_zel.h"
#include "core/sdk_state.h"

#include <string_view>

namespace qorva_zel {

// The pointers of desc have been checked (HasRequiredPointers).
QORVA_ZEL_Status RegisterOption(SdkState& state, const QORVA_ZEL_OptionDesc& desc);

QORVA_ZEL_Status GetOptionValue(SdkState& state, QORVA_ZEL_Variant& value, std::u16string_view name);

// Validates and stores a value; an Enum variant's string is non-null. The
// loader runs this too, re-entering the lock it already holds.
QORVA_ZEL_Status SetOptionValue(SdkState& state, const QORVA_ZEL_Variant& value, std::u16string_view name);

} // namespace qorva_zel
