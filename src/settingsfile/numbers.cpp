#include "settingsfile/numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace qorva_zel {
namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t SkipSpace(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) {
        ++i;
    }
    return i;
}

bool StartsWithNoCase(std::string_view text, std::string_view word)
{
    if (text.size() < word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != word[i]) {
            return false;
        }
    }
    return true;
}

template <class T>
std::string ToChars(T value)
{
    std::array<char, 16> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string FormatGeneral(double value, int precision)
{
    std::array<char, 48> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, precision);
    return std::string(buffer.data(), result.ptr);
}

bool SameNumberAndSign(float a, float b)
{
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b);
    }
    return a == b && std::signbit(a) == std::signbit(b);
}

// Rounds a double to float; past the float range (beyond FLT_MAX plus half
// a unit in the last place) it is an infinity of its sign.
float NarrowToFloat(double value)
{
    constexpr double kOverflow = 0x1.ffffffp127;
    if (std::isnan(value)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    if (std::fabs(value) >= kOverflow) {
        return std::copysign(std::numeric_limits<float>::infinity(), static_cast<float>(std::signbit(value) ? -1 : 1));
    }
    return static_cast<float>(value);
}

// The decimal exponent of the leading significant digit of a mantissa text
// ("123.4" -> 2, "0.05" -> -2), used to tell overflow from underflow.
long LeadingDigitExponent(std::string_view mantissa)
{
    const std::size_t point = mantissa.find('.');
    const std::size_t intEnd = point == std::string_view::npos ? mantissa.size() : point;
    for (std::size_t i = 0; i < mantissa.size(); ++i) {
        if (mantissa[i] >= '1' && mantissa[i] <= '9') {
            return i < intEnd ? static_cast<long>(intEnd - i) - 1 : -static_cast<long>(i - intEnd);
        }
    }
    return 0;
}

} // namespace

std::string FormatInt(std::int32_t value)
{
    return ToChars(value);
}

std::string FormatUnsigned(std::uint32_t value)
{
    return ToChars(value);
}

std::string FormatFloat(float value)
{
    if (std::isnan(value)) {
        return std::signbit(value) ? "-nan" : "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    std::string text = FormatGeneral(value, 6);
    for (int precision = 7; precision <= 9 && !SameNumberAndSign(ReadFloat(text), value); ++precision) {
        text = FormatGeneral(value, precision);
    }
    return text;
}

std::int32_t ReadInt(std::string_view text)
{
    std::size_t i = SkipSpace(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulated as a magnitude that saturates just past the 32-bit range.
    constexpr std::int64_t kLimit = std::int64_t{1} << 32;
    std::int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = std::min(kLimit, magnitude * 10 + (text[i] - '0'));
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

float ReadFloat(std::string_view text)
{
    std::size_t i = SkipSpace(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::string_view rest = text.substr(i);
    const float sign = negative ? -1.0f : 1.0f;
    if (StartsWithNoCase(rest, "inf")) {
        return sign * std::numeric_limits<float>::infinity();
    }
    if (StartsWithNoCase(rest, "nan")) {
        return std::copysign(std::numeric_limits<float>::quiet_NaN(), sign);
    }

    // Mantissa: digits with at most one full stop, at least one digit.
    std::size_t end = 0;
    std::size_t digits = 0;
    bool sawPoint = false;
    for (; end < rest.size(); ++end) {
        if (IsDigit(rest[end])) {
            ++digits;
        } else if (rest[end] == '.' && !sawPoint) {
            sawPoint = true;
        } else {
            break;
        }
    }
    if (digits == 0) {
        return 0.0f;
    }
    const std::string_view mantissa = rest.substr(0, end);
    // Exponent, only when digits follow the "e" and its sign.
    long exponent = 0;
    if (end < rest.size() && (rest[end] == 'e' || rest[end] == 'E')) {
        std::size_t k = end + 1;
        bool negativeExponent = false;
        if (k < rest.size() && (rest[k] == '+' || rest[k] == '-')) {
            negativeExponent = rest[k] == '-';
            ++k;
        }
        if (k < rest.size() && IsDigit(rest[k])) {
            for (; k < rest.size() && IsDigit(rest[k]); ++k) {
                exponent = std::min(100000L, exponent * 10 + (rest[k] - '0'));
            }
            exponent = negativeExponent ? -exponent : exponent;
            end = k;
        }
    }

    double magnitude = 0.0;
    const auto result =
        std::from_chars(rest.data(), rest.data() + end, magnitude, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        magnitude = LeadingDigitExponent(mantissa) + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (result.ec != std::errc()) {
        return 0.0f;
    }
    return NarrowToFloat(negative ? -magnitude : magnitude);
}

bool ReadBool(std::string_view text)
{
    if (text.empty()) {
        return false;
    }
    const char first = text.front();
    return first == '1' || first == 't' || first == 'T' || first == 'y' || first == 'Y';
}

} // namespace qorva_zel
