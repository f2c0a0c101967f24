// An option's value apart from its record: copying it by type, comparing it
// with a saved one, and a validated value waiting to be stored.
#pragma once

#include "qorva_zel.h"
#include "registry/option_record.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace qorva_zel {

// Copies the member of the union that belongs to type (Integer, Float,
// Bool); any other type, Enum included, copies nothing.
void CopyTypedValue(std::int32_t type, const QORVA_ZEL_Value& from, QORVA_ZEL_Value& to) noexcept;

// An option's value as the last load or save left it.
struct SavedValue {
    QORVA_ZEL_Value Value{}; // Integer, Float, Bool
    std::u16string String;   // Enum
    bool Present = false;    // false: the option has no saved value
};

// Whether the current value of an option equals a saved one of its type.
// Floats compare as numbers (-0.0 equals 0.0) except that NaN equals NaN,
// so a NaN that was just saved is not an unsaved change. Limits and allowed
// strings never take part; a type number that is none of the four always
// compares equal.
bool SameValue(const OptionRecord& current, const SavedValue& saved) noexcept;
bool EqualOrBothNaN(float current, float saved) noexcept;

// A value that has passed validation for the option at Position, ready to
// be stored without any allocation.
struct PreparedValue {
    std::size_t Position = 0;
    QORVA_ZEL_Value Value{};
    std::u16string StringValue; // Enum
};

// Validates value against record (the option at position) and, when it is
// allowed, fills prepared. Returns the validation status; on anything but
// QORVA_ZEL_OK prepared is unchanged.
QORVA_ZEL_Status PrepareValue(const OptionRecord& record, std::size_t position, const ValueView& value,
                              PreparedValue& prepared);

} // namespace qorva_zel
