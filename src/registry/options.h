// Registering options and reading and setting their values.
#pragma once

#include "qorva_zel.h"
#include "core/sdk_state.h"

#include <cstddef>
#include <string_view>

namespace qorva_zel {

// The pointers of desc have been checked (HasRequiredPointers).
QORVA_ZEL_Status RegisterOption(SdkState& state, const QORVA_ZEL_OptionDesc& desc);

QORVA_ZEL_Status GetOptionValue(SdkState& state, QORVA_ZEL_Variant& value, std::u16string_view name);

// Validates and stores a value; an Enum variant's string is non-null.
QORVA_ZEL_Status SetOptionValue(SdkState& state, const QORVA_ZEL_Variant& value, std::u16string_view name);

// A validated value, ready to be stored without any allocation.
struct PreparedValue {
    OptionRecord* Target = nullptr;
    std::size_t Position = 0; // the target's registered position
    QORVA_ZEL_Value Value{};
    std::u16string StringValue; // Enum
};

// The first half of a set: finds the option registered last under name and
// validates value against it. On QORVA_ZEL_OK, prepared holds what to store.
// Changes nothing; the caller holds the lock.
QORVA_ZEL_Status PrepareOptionValue(SdkState& state, const QORVA_ZEL_Variant& value, std::u16string_view name,
                                    PreparedValue& prepared);

// PrepareOptionValue against a known target: the option registered last
// under the value's name.
QORVA_ZEL_Status PrepareOptionValueFor(OptionRecord& target, std::size_t position, const QORVA_ZEL_Variant& value,
                                       PreparedValue& prepared);

// The second half: stores a prepared value. Cannot fail.
void StoreOptionValue(PreparedValue& prepared) noexcept;

} // namespace qorva_zel
