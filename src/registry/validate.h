// Checking a value against an option's type, range, steps or allowed strings.
#pragma once

#include "qorva_zel.h"
#include "registry/option_record.h"

namespace qorva_zel {

// Returns 0, QORVA_ZEL_ERROR_TYPE_MISMATCH, QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED
// or QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP.
QORVA_ZEL_Status ValidateOptionValue(const OptionRecord& record, const ValueView& value);

} // namespace qorva_zel
