// The kit's own copy of a typed value, with UTF-8 strings, and its
// conversions to the library's variants and records.
#pragma once

#include "qorva_zel.h"
#include "qorva_zel_kit.h"
#include "registry/option_record.h"

#include <cstdint>
#include <string>

namespace qorva_zel::kit {

struct KitValue {
    std::int32_t Type = QORVA_ZEL_Integer;
    std::int32_t Int = 0;
    float Float = 0.0f;
    bool Bool = false;
    std::string String; // Enum, UTF-8
};

// Equal type and equal value of that type (floats as numbers).
bool SameValue(const KitValue& a, const KitValue& b) noexcept;

// The value as the settings file writes it: "3", "1.5", "true", "High".
std::string ValueText(const KitValue& value);

const char* TypeName(std::int32_t type) noexcept; // "Integer", ... or "?"

// A library variant of the value; an Enum's string is converted into
// storage, which must outlive the variant.
QORVA_ZEL_Variant ToVariant(const KitValue& value, std::u16string& storage);
// The value of a variant the library filled (its Enum string is not released here).
KitValue FromVariant(const QORVA_ZEL_Variant& variant);

// The variant as the validation takes it.
inline ValueView ViewOf(const QORVA_ZEL_Variant& variant)
{
    ValueView view{variant.Type, variant.Value, {}};
    if (variant.Type == QORVA_ZEL_Enum && variant.Value.StringValue != nullptr) {
        view.String = ToView(variant.Value.StringValue);
    }
    return view;
}
// The value a record holds, and a record's value set from one.
KitValue FromRecord(const OptionRecord& record);
void StoreInRecord(const KitValue& value, OptionRecord& record);

// The value in the C record of the header; an Enum's string points to text.
QORVA_ZEL_KIT_Value ToPublic(const KitValue& value, const char* text);

} // namespace qorva_zel::kit
