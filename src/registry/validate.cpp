#include "registry/validate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace qorva_zel {
namespace {

QORVA_ZEL_Status ValidateInteger(const OptionRecord& record, std::int32_t value)
{
    const std::int32_t min = record.MinValue.IntValue;
    const std::int32_t max = record.MaxValue.IntValue;
    if (record.NumSteps >= 0 && (value < min || value > max)) {
        return QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED;
    }
    if (record.NumSteps <= 0) {
        return QORVA_ZEL_OK;
    }
    // 64-bit, so that no range or value overflows; the step truncates.
    const std::int64_t step = (std::int64_t{max} - std::int64_t{min}) / record.NumSteps;
    if (step <= 0) {
        return QORVA_ZEL_OK;
    }
    return (std::int64_t{value} - std::int64_t{min}) % step == 0 ? QORVA_ZEL_OK : QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP;
}

QORVA_ZEL_Status ValidateFloat(const OptionRecord& record, float value)
{
    const float min = record.MinValue.FloatValue;
    const float max = record.MaxValue.FloatValue;
    if (record.NumSteps >= 0 && (!(value >= min) || value > max)) {
        return QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED;
    }
    if (record.NumSteps <= 0) {
        return QORVA_ZEL_OK;
    }
    const float step = (max - min) / static_cast<float>(record.NumSteps);
    if (!(step > 0.0f)) {
        return QORVA_ZEL_OK;
    }
    const float offset = value - min;
    const float remainder = std::fabs(std::fmod(offset, step));
    // A remainder below single-precision epsilon, or one that is not a
    // number at all (a NaN or infinite value), counts as on a step.
    constexpr float kEpsilon = 1.1920928955078125e-07f;
    if (!(remainder >= kEpsilon)) {
        return QORVA_ZEL_OK;
    }
    // Steps are inexact in single precision, so a value on a step leaves a
    // remainder near 0 or near a whole step. Both count, within a tolerance
    // relative to the magnitudes involved (2^-22, two units in the last place).
    const float scale = std::max({1.0f, std::fabs(value), std::fabs(min), std::fabs(max)});
    const float tolerance = 0x1p-22f * scale;
    if (remainder <= tolerance || step - remainder <= tolerance) {
        return QORVA_ZEL_OK;
    }
    return QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP;
}

QORVA_ZEL_Status ValidateEnum(const OptionRecord& record, std::u16string_view wanted)
{
    for (const std::u16string& allowed : record.Values) {
        if (allowed == wanted) {
            return QORVA_ZEL_OK;
        }
    }
    return QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED;
}

} // namespace

QORVA_ZEL_Status ValidateOptionValue(const OptionRecord& record, const ValueView& value)
{
    if (value.Type != record.Type) {
        return QORVA_ZEL_ERROR_TYPE_MISMATCH;
    }
    switch (record.Type) {
    case QORVA_ZEL_Integer:
        return ValidateInteger(record, value.Value.IntValue);
    case QORVA_ZEL_Float:
        return ValidateFloat(record, value.Value.FloatValue);
    case QORVA_ZEL_Enum:
        return ValidateEnum(record, value.String);
    default:
        return QORVA_ZEL_OK;
    }
}

} // namespace qorva_zel
