#include "settingsfile/text.h"

#include <cstdint>

namespace qorva_zel {
namespace {

void AppendCodePoint(char32_t cp, std::string& out)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool IsLeadSurrogate(char32_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool IsTrailSurrogate(char32_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

// Calls sink(code point) for each character of UTF-16 units fetched by
// unitAt(i), i < count; lone surrogates pass through as themselves.
template <class UnitAt, class Sink>
void DecodeUtf16(std::size_t count, UnitAt unitAt, Sink sink)
{
    for (std::size_t i = 0; i < count; ++i) {
        const char32_t unit = unitAt(i);
        if (IsLeadSurrogate(unit) && i + 1 < count && IsTrailSurrogate(unitAt(i + 1))) {
            const char32_t trail = unitAt(i + 1);
            sink(0x10000 + ((unit - 0xD800) << 10) + (trail - 0xDC00));
            ++i;
        } else {
            sink(unit);
        }
    }
}

void AppendUtf16(char32_t cp, std::u16string& out)
{
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

} // namespace

void AppendUtf8(std::u16string_view text, std::string& out)
{
    DecodeUtf16(
        text.size(), [&](std::size_t i) { return static_cast<char32_t>(text[i]); },
        [&](char32_t cp) { AppendCodePoint(cp, out); });
}

std::string ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    AppendUtf8(text, out);
    return out;
}

std::u16string FromUtf8(std::string_view text)
{
    constexpr char32_t kReplacement = 0xFFFD;
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            length = 1;
            cp = lead;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            length = 4;
            cp = lead & 0x07;
        }
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        // Overlong forms and code points past U+10FFFF are not characters.
        valid = valid && !(length == 3 && cp < 0x800) && !(length == 4 && (cp < 0x10000 || cp > 0x10FFFF));
        if (!valid) {
            AppendUtf16(kReplacement, out);
            ++i;
            continue;
        }
        AppendUtf16(cp, out);
        i += length;
    }
    return out;
}

std::string Utf16LeBytesToUtf8(std::string_view bytes)
{
    std::size_t count = bytes.size() / 2;
    std::size_t first = 0;
    const auto unitAt = [&](std::size_t i) {
        const auto low = static_cast<unsigned char>(bytes[2 * (first + i)]);
        const auto high = static_cast<unsigned char>(bytes[2 * (first + i) + 1]);
        return static_cast<char32_t>(low | (high << 8));
    };
    if (count > 0 && unitAt(0) == 0xFEFF) {
        first = 1;
        --count;
    }
    std::string out;
    out.reserve(count + count / 2);
    DecodeUtf16(count, unitAt, [&](char32_t cp) { AppendCodePoint(cp, out); });
    return out;
}

} // namespace qorva_zel
