#include "settingsfile/text.h"

#include "settingsfile/byte_order.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace qorva_zel {
namespace {

// Writes the UTF-8 form of a code point (a surrogate as its own three
// bytes) and returns the position after it.
char* WriteCodePoint(char32_t cp, char* out)
{
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
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
        [&](char32_t cp) {
            char bytes[4];
            out.append(bytes, static_cast<std::size_t>(WriteCodePoint(cp, bytes) - bytes));
        });
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
    std::u16string out;
    out.reserve(text.size());
    AppendFromUtf8(text, out);
    return out;
}

void AppendFromUtf8(std::string_view text, std::u16string& out)
{
    constexpr char32_t kReplacement = 0xFFFD;
    // A leading run of ASCII, which names and values almost always are
    // wholly, goes over in one step.
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) {
        ++i;
    }
    const std::size_t start = out.size();
    out.resize(start + i);
    for (std::size_t k = 0; k < i; ++k) {
        out[start + k] = static_cast<char16_t>(text[k]);
    }
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
}

std::string Utf16LeBytesToUtf8(std::string_view bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t end = bytes.size() / 2;
    const auto unitAt = [data](std::size_t i) { return static_cast<char32_t>(data[2 * i] | (data[2 * i + 1] << 8)); };
    const std::size_t begin = end > 0 && unitAt(0) == 0xFEFF ? 1 : 0;

    // Eight units at a time while they are ASCII, which settings files almost
    // wholly are: each is its low byte.
    const auto eightAscii = [data](std::size_t i, std::uint64_t& low, std::uint64_t& high) {
        std::memcpy(&low, data + 2 * i, sizeof low);
        std::memcpy(&high, data + 2 * i + 8, sizeof high);
        return kLittleEndian && ((low | high) & 0xFF80FF80FF80FF80ull) == 0;
    };
    // The low bytes of four ASCII units, in order, in the low 32 bits.
    const auto pack = [](std::uint64_t four) {
        four = (four | (four >> 8)) & 0x0000FFFF0000FFFFull;
        return (four | (four >> 16)) & 0x00000000FFFFFFFFull;
    };

    // First the exact length, so that the text is allocated once.
    std::size_t length = 0;
    for (std::size_t i = begin; i < end;) {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        if (i + 8 <= end && eightAscii(i, low, high)) {
            length += 8;
            i += 8;
            continue;
        }
        const char32_t unit = unitAt(i);
        if (unit < 0x80) {
            length += 1;
        } else if (unit < 0x800) {
            length += 2;
        } else if (IsLeadSurrogate(unit) && i + 1 < end && IsTrailSurrogate(unitAt(i + 1))) {
            length += 4;
            ++i;
        } else {
            length += 3; // other characters, and lone surrogates on their own
        }
        ++i;
    }

    std::string out(length, '\0');
    char* next = out.data();
    for (std::size_t i = begin; i < end;) {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        if (i + 8 <= end && eightAscii(i, low, high)) {
            const std::uint64_t eight = pack(low) | (pack(high) << 32);
            std::memcpy(next, &eight, sizeof eight);
            next += 8;
            i += 8;
            continue;
        }
        char32_t cp = unitAt(i);
        if (IsLeadSurrogate(cp) && i + 1 < end && IsTrailSurrogate(unitAt(i + 1))) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00);
            ++i;
        }
        ++i;
        next = WriteCodePoint(cp, next);
    }
    return out;
}

const char* EncodingName(FileEncoding encoding) noexcept
{
    switch (encoding) {
    case FileEncoding::Utf16Le:
        return "UTF-16LE";
    case FileEncoding::Utf16LeBom:
        return "UTF-16LE with BOM";
    case FileEncoding::Utf16Be:
        return "UTF-16BE";
    case FileEncoding::Utf16BeBom:
        return "UTF-16BE with BOM";
    case FileEncoding::Utf8Bom:
        return "UTF-8 with BOM";
    case FileEncoding::Utf8:
        return "UTF-8";
    case FileEncoding::Utf32:
        return "UTF-32";
    case FileEncoding::Contradicted:
        return "a byte-order mark the text contradicts";
    }
    return "UTF-16LE";
}

namespace {

// Without a mark: the zero bytes of the first character ("<" or white
// space) tell the encoding.
FileEncoding UnmarkedEncoding(std::string_view bytes) noexcept
{
    const auto zero = [bytes](std::size_t i) { return i < bytes.size() && bytes[i] == '\0'; };
    if (bytes.empty()) {
        return FileEncoding::Utf16Le;
    }
    if ((zero(0) && zero(1)) || (zero(1) && zero(2) && zero(3))) {
        return FileEncoding::Utf32; // 00 00 00 3C, 3C 00 00 00
    }
    if (zero(1)) {
        return FileEncoding::Utf16Le; // 3C 00
    }
    return zero(0) ? FileEncoding::Utf16Be : FileEncoding::Utf8; // 00 3C, or 3C 3F
}

} // namespace

FileEncoding DetectEncoding(std::string_view bytes) noexcept
{
    using namespace std::string_view_literals;
    const auto startsWith = [](std::string_view text, std::string_view mark) {
        return text.substr(0, mark.size()) == mark;
    };
    if (startsWith(bytes, "\0\0\xFE\xFF"sv) || startsWith(bytes, "\xFF\xFE\0\0"sv)) {
        return FileEncoding::Utf32;
    }
    struct Mark {
        std::string_view Bytes;
        FileEncoding Marked;
        FileEncoding Unmarked;
    };
    constexpr Mark kMarks[] = {{"\xEF\xBB\xBF"sv, FileEncoding::Utf8Bom, FileEncoding::Utf8},
                               {"\xFE\xFF"sv, FileEncoding::Utf16BeBom, FileEncoding::Utf16Be},
                               {"\xFF\xFE"sv, FileEncoding::Utf16LeBom, FileEncoding::Utf16Le}};
    for (const Mark& mark : kMarks) {
        if (startsWith(bytes, mark.Bytes)) {
            // The bytes after the mark must say the same; the mark again (as
            // some tools double it) is read as a character.
            const std::string_view rest = bytes.substr(mark.Bytes.size());
            const bool agrees =
                rest.size() < 2 || startsWith(rest, mark.Bytes) || UnmarkedEncoding(rest) == mark.Unmarked;
            return agrees ? mark.Marked : FileEncoding::Contradicted;
        }
    }
    return UnmarkedEncoding(bytes);
}

bool IsReadable(FileEncoding encoding) noexcept
{
    return encoding != FileEncoding::Utf32 && encoding != FileEncoding::Contradicted;
}

std::string DecodeFileBytes(std::string_view bytes, FileEncoding encoding)
{
    switch (encoding) {
    case FileEncoding::Utf16Le:
    case FileEncoding::Utf16LeBom:
        return Utf16LeBytesToUtf8(bytes);
    case FileEncoding::Utf8Bom:
        return std::string(bytes.substr(3));
    case FileEncoding::Utf8:
        return std::string(bytes);
    case FileEncoding::Utf16Be:
    case FileEncoding::Utf16BeBom:
        break;
    case FileEncoding::Utf32:
    case FileEncoding::Contradicted:
        return {};
    }
    // Big-endian: the mark dropped, each unit read high byte first.
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t skip = encoding == FileEncoding::Utf16BeBom ? 2 : 0;
    const std::size_t count = (bytes.size() - skip) / 2;
    std::string out;
    out.reserve(count);
    DecodeUtf16(
        count,
        [data, skip](std::size_t i) { return static_cast<char32_t>((data[skip + 2 * i] << 8) | data[skip + 2 * i + 1]); },
        [&out](char32_t cp) {
            char utf8[4];
            out.append(utf8, static_cast<std::size_t>(WriteCodePoint(cp, utf8) - utf8));
        });
    return out;
}

} // namespace qorva_zel
