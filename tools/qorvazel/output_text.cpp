#include "output_text.h"

#include <cstdint>
#include <cstdio>

namespace qorvazel {
namespace {

// One character of UTF-8 text, read leniently: Length bytes, and whether
// they are a character (Valid), an encoded surrogate (Surrogate) or
// neither (one byte that forms nothing, or a sequence beyond U+10FFFF).
struct Utf8Char {
    std::size_t Length = 1;
    std::uint32_t Code = 0;
    bool Valid = false;
    bool Surrogate = false;
};

Utf8Char ReadChar(std::string_view text, std::size_t at)
{
    Utf8Char c;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead < 0x80) {
        c.Code = lead;
        c.Valid = true;
        return c;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF7) {
        length = 4;
        code = lead & 0x07;
    } else {
        return c; // a continuation byte, an overlong lead, or no lead at all
    }
    if (at + length > text.size()) {
        return c;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return c;
        }
        code = (code << 6) | (byte(i) & 0x3F);
    }
    const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length]) {
        return c; // overlong
    }
    c.Length = length;
    c.Code = code;
    c.Surrogate = code >= 0xD800 && code <= 0xDFFF;
    c.Valid = !c.Surrogate && code <= 0x10FFFF;
    return c;
}

bool IsControl(std::uint32_t code)
{
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

std::string Hex(const char* format, std::uint32_t code)
{
    char text[16];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(code));
    return text;
}

} // namespace

std::string Printable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char c = ReadChar(text, i);
        if (c.Valid && IsControl(c.Code)) {
            out += c.Code == '\t'   ? std::string("\\t")
                   : c.Code == '\n' ? std::string("\\n")
                   : c.Code == '\r' ? std::string("\\r")
                   : c.Code < 0x80  ? Hex("\\x%02x", c.Code)
                                    : Hex("\\u%04x", c.Code);
        } else {
            out.append(text, i, c.Length);
        }
        i += c.Length;
    }
    return out;
}

std::string DumpSafe(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char c = ReadChar(text, i);
        const bool lineEnd = c.Code == '\t' || c.Code == '\n' || (c.Code == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
        if (c.Valid && IsControl(c.Code) && !lineEnd) {
            out += Hex("&#x%02X;", c.Code);
        } else {
            out.append(text, i, c.Length);
        }
        i += c.Length;
    }
    return out;
}

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char c = ReadChar(text, i);
        if (c.Surrogate) {
            out += Hex("\\u%04x", c.Code);
        } else if (!c.Valid) {
            out += "\xEF\xBF\xBD"; // U+FFFD
        } else if (c.Code == '"') {
            out += "\\\"";
        } else if (c.Code == '\\') {
            out += "\\\\";
        } else if (c.Code == '\n') {
            out += "\\n";
        } else if (c.Code == '\t') {
            out += "\\t";
        } else if (c.Code == '\r') {
            out += "\\r";
        } else if (c.Code < 0x20) {
            out += Hex("\\u%04x", c.Code);
        } else {
            out.append(text, i, c.Length);
        }
        i += c.Length;
    }
    return out + "\"";
}

const char* EncodingName(qorva_zel::FileEncoding encoding) noexcept
{
    switch (encoding) {
    case qorva_zel::FileEncoding::Utf16Le:
        return "UTF-16LE";
    case qorva_zel::FileEncoding::Utf16LeBom:
        return "UTF-16LE with BOM";
    case qorva_zel::FileEncoding::Utf16Be:
        return "UTF-16BE";
    case qorva_zel::FileEncoding::Utf16BeBom:
        return "UTF-16BE with BOM";
    case qorva_zel::FileEncoding::Utf8Bom:
        return "UTF-8 with BOM";
    case qorva_zel::FileEncoding::Utf8:
        return "UTF-8";
    case qorva_zel::FileEncoding::Utf32:
        return "UTF-32";
    case qorva_zel::FileEncoding::Contradicted:
        return "a byte-order mark the text contradicts";
    }
    return "UTF-16LE";
}

} // namespace qorvazel
