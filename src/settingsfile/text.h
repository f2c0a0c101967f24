// Conversions between the library's UTF-16 strings and the UTF-8 text that
// the XML document holds.
#pragma once

#include <string>
#include <string_view>

namespace qorva_zel {

// Appends the UTF-8 form of text to out. A surrogate that is not part of a
// pair is encoded on its own (three bytes), so that it survives the round
// trip through the document unchanged.
void AppendUtf8(std::u16string_view text, std::string& out);
std::string ToUtf8(std::u16string_view text);

// The inverse of AppendUtf8. Bytes that form no character become U+FFFD.
std::u16string FromUtf8(std::string_view text);
void AppendFromUtf8(std::string_view text, std::u16string& out);

// Decodes UTF-16 little-endian bytes (an odd last byte is ignored, a leading
// byte-order mark dropped) into UTF-8.
std::string Utf16LeBytesToUtf8(std::string_view bytes);

// The encodings a settings file is read in. The library writes UTF-16
// little-endian without a mark; the others are what a player's editor may
// save it as.
enum class FileEncoding {
    Utf16Le,    // no mark (and none of the signs below)
    Utf16LeBom, // FF FE
    Utf16BeBom, // FE FF
    Utf8Bom,    // EF BB BF
    Utf8,       // no mark, the first byte "<" and the second not 0
};

const char* EncodingName(FileEncoding encoding) noexcept; // "UTF-16LE", "UTF-8 with BOM", ...

// The encoding of a settings file's bytes: a byte-order mark says it; without
// one, a first byte "<" followed by a byte that is not 0 is a one-byte "<",
// so UTF-8 (or ASCII); everything else is UTF-16 little-endian, as the
// library writes it.
FileEncoding DetectEncoding(std::string_view bytes) noexcept;

// The file's text as UTF-8, its mark dropped. UTF-16 of either byte order
// ignores an odd last byte and keeps lone surrogates (three bytes each);
// UTF-8 bytes are taken as they stand.
std::string DecodeFileBytes(std::string_view bytes, FileEncoding encoding);

} // namespace qorva_zel
