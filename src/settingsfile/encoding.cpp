#include "settingsfile/encoding.h"

#include "text/utf.h"

namespace qorva_zel {
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

void DecodeFileBytes(std::string_view bytes, FileEncoding encoding, std::string& out)
{
    switch (encoding) {
    case FileEncoding::Utf16Le:
    case FileEncoding::Utf16LeBom:
        Utf16LeBytesToUtf8(bytes, out);
        return;
    case FileEncoding::Utf16Be:
    case FileEncoding::Utf16BeBom:
        out = Utf16BeBytesToUtf8(bytes);
        return;
    case FileEncoding::Utf8Bom:
        out.assign(bytes.substr(3));
        return;
    case FileEncoding::Utf8:
        out.assign(bytes);
        return;
    case FileEncoding::Utf32:
    case FileEncoding::Contradicted:
        break;
    }
    out.clear();
}

bool DecodeFileBytesInPlace(std::string& bytes, FileEncoding encoding) noexcept
{
    switch (encoding) {
    case FileEncoding::Utf16Le:
    case FileEncoding::Utf16LeBom:
        return Utf16LeBytesToUtf8InPlace(bytes);
    case FileEncoding::Utf8Bom:
        bytes.erase(0, 3);
        return true;
    case FileEncoding::Utf8:
        return true;
    case FileEncoding::Utf16Be:
    case FileEncoding::Utf16BeBom:
    case FileEncoding::Utf32:
    case FileEncoding::Contradicted:
        break;
    }
    return false;
}

} // namespace qorva_zel
