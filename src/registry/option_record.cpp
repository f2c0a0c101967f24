#include "registry/option_record.h"

namespace qorva_zel {

OptionRecord CopyOptionRecord(const QORVA_ZEL_OptionDesc& desc)
{
    OptionRecord record;
    record.Name = ToView(desc.Name);
    record.Type = desc.Type;
    switch (desc.Type) {
    case QORVA_ZEL_Integer:
    case QORVA_ZEL_Float:
        record.Value = desc.Value;
        record.MinValue = desc.Limits.Range.MinValue;
        record.MaxValue = desc.Limits.Range.MaxValue;
        record.NumSteps = desc.Limits.Range.NumSteps;
        break;
    case QORVA_ZEL_Enum:
        record.StringValue = ToView(desc.Value.StringValue);
        record.Values.reserve(desc.Limits.EnumList.NumValues);
        for (std::uint32_t i = 0; i < desc.Limits.EnumList.NumValues; ++i) {
            record.Values.emplace_back(ToView(desc.Limits.EnumList.Values[i]));
        }
        break;
    case QORVA_ZEL_Bool:
        record.Value.BoolValue = desc.Value.BoolValue;
        break;
    default:
        break;
    }
    return record;
}

bool HasRequiredPointers(const QORVA_ZEL_OptionDesc& desc)
{
    if (desc.Name == nullptr) {
        return false;
    }
    if (desc.Type != QORVA_ZEL_Enum) {
        return true;
    }
    if (desc.Value.StringValue == nullptr) {
        return false;
    }
    const QORVA_ZEL_EnumList& list = desc.Limits.EnumList;
    if (list.NumValues == 0) {
        return true;
    }
    if (list.Values == nullptr) {
        return false;
    }
    for (std::uint32_t i = 0; i < list.NumValues; ++i) {
        if (list.Values[i] == nullptr) {
            return false;
        }
    }
    return true;
}

} // namespace qorva_zel
