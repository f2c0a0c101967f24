// Descriptors, variants and modes built in one line. Free of any test
// framework, so that the tests and the fuzz targets share them.
#pragma once

#include "qorva_zel.h"

#include <cstdint>

namespace qorva_zel_test {

// ---- Descriptors -----------------------------------------------------------

inline QORVA_ZEL_OptionDesc IntOption(const QORVA_ZEL_Char* name, std::int32_t value, std::int32_t min,
                                      std::int32_t max, std::int32_t numSteps)
{
    QORVA_ZEL_OptionDesc desc{};
    desc.Name = name;
    desc.Type = QORVA_ZEL_Integer;
    desc.Value.IntValue = value;
    desc.Limits.Range.MinValue.IntValue = min;
    desc.Limits.Range.MaxValue.IntValue = max;
    desc.Limits.Range.NumSteps = numSteps;
    return desc;
}

inline QORVA_ZEL_OptionDesc FloatOption(const QORVA_ZEL_Char* name, float value, float min, float max,
                                        std::int32_t numSteps)
{
    QORVA_ZEL_OptionDesc desc{};
    desc.Name = name;
    desc.Type = QORVA_ZEL_Float;
    desc.Value.FloatValue = value;
    desc.Limits.Range.MinValue.FloatValue = min;
    desc.Limits.Range.MaxValue.FloatValue = max;
    desc.Limits.Range.NumSteps = numSteps;
    return desc;
}

inline QORVA_ZEL_OptionDesc EnumOption(const QORVA_ZEL_Char* name, const QORVA_ZEL_Char* value,
                                       const QORVA_ZEL_Char* const* allowed, std::uint32_t count)
{
    QORVA_ZEL_OptionDesc desc{};
    desc.Name = name;
    desc.Type = QORVA_ZEL_Enum;
    desc.Value.StringValue = value;
    desc.Limits.EnumList.Values = allowed;
    desc.Limits.EnumList.NumValues = count;
    return desc;
}

inline QORVA_ZEL_OptionDesc BoolOption(const QORVA_ZEL_Char* name, std::uint8_t value)
{
    QORVA_ZEL_OptionDesc desc{};
    desc.Name = name;
    desc.Type = QORVA_ZEL_Bool;
    desc.Value.BoolValue = value;
    return desc;
}

// ---- Variants --------------------------------------------------------------

inline QORVA_ZEL_Variant IntVariant(std::int32_t value)
{
    QORVA_ZEL_Variant v{};
    v.Type = QORVA_ZEL_Integer;
    v.Value.IntValue = value;
    return v;
}

inline QORVA_ZEL_Variant FloatVariant(float value)
{
    QORVA_ZEL_Variant v{};
    v.Type = QORVA_ZEL_Float;
    v.Value.FloatValue = value;
    return v;
}

inline QORVA_ZEL_Variant EnumVariant(const QORVA_ZEL_Char* value)
{
    QORVA_ZEL_Variant v{};
    v.Type = QORVA_ZEL_Enum;
    v.Value.StringValue = value;
    return v;
}

inline QORVA_ZEL_Variant BoolVariant(std::uint8_t value)
{
    QORVA_ZEL_Variant v{};
    v.Type = QORVA_ZEL_Bool;
    v.Value.BoolValue = value;
    return v;
}

inline QORVA_ZEL_Resolution Mode(std::uint32_t width, std::uint32_t height, float refreshRate)
{
    return QORVA_ZEL_Resolution{width, height, refreshRate};
}

} // namespace qorva_zel_test
