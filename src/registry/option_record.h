// The library's own copy of an option: name, type, current value and limits.
#pragma once

#include "qorva_zel.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qorva_zel {

// A record owns every string it holds. Only the members that belong to its
// type are meaningful: Value/MinValue/MaxValue/NumSteps for Integer and
// Float, StringValue and Values for Enum, Value.BoolValue for Bool, and
// nothing but Name and Type for any other type number.
struct OptionRecord {
    std::u16string Name;
    std::int32_t Type = QORVA_ZEL_Integer;
    QORVA_ZEL_Value Value{};          // Integer, Float and Bool
    std::u16string StringValue;        // Enum
    QORVA_ZEL_Value MinValue{};
    QORVA_ZEL_Value MaxValue{};
    std::int32_t NumSteps = 0;
    std::vector<std::u16string> Values; // Enum: the allowed strings
};

// A value for an option: its type and the member of that type (an Enum's
// string in String, the others in Value).
struct ValueView {
    std::int32_t Type = QORVA_ZEL_Integer;
    QORVA_ZEL_Value Value{};
    std::u16string_view String;
};

inline std::u16string_view ToView(const QORVA_ZEL_Char* s)
{
    return std::u16string_view(reinterpret_cast<const char16_t*>(s));
}

// Builds a record from a descriptor whose pointers have been checked.
OptionRecord CopyOptionRecord(const QORVA_ZEL_OptionDesc& desc);

// True when a descriptor holds every pointer its type needs.
bool HasRequiredPointers(const QORVA_ZEL_OptionDesc& desc);

} // namespace qorva_zel
