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
// save it as. The last two are not read: such a file is not well-formed.
enum class FileEncoding {
    Utf16Le,      // no mark; the first unit's high byte 0, its low byte not
    Utf16LeBom,   // FF FE
    Utf16Be,      // no mark; the first unit's high byte not 0, its low byte 0
    Utf16BeBom,   // FE FF
    Utf8Bom,      // EF BB BF
    Utf8,         // no mark; the first two bytes not 0 (ASCII-compatible)
    Utf32,        // a UTF-32 mark (00 00 FE FF, FF FE 00 00), or a first character of four bytes
    Contradicted, // a mark that the bytes after it contradict
};

const char* EncodingName(FileEncoding encoding) noexcept; // "UTF-16LE", "UTF-8 with BOM", ...

// The encoding of a settings file's bytes, as XML tells them apart: a
// byte-order mark says it, unless the bytes after it name another encoding
// by the rule for files without one. Without a mark, the zero bytes of the
// first character tell: every XML document starts with "<" or white space,
// which is one byte in UTF-8, two with a zero in UTF-16, four with three
// zeros in UTF-32. An empty file reads as UTF-16LE.
FileEncoding DetectEncoding(std::string_view bytes) noexcept;

// Whether the reader reads text in the encoding.
bool IsReadable(FileEncoding encoding) noexcept;

// The file's text as UTF-8, its mark dropped. UTF-16 of either byte order
// ignores an odd last byte and keeps lone surrogates (three bytes each);
// UTF-8 bytes are taken as they stand. An encoding that is not read gives
// "".
std::string DecodeFileBytes(std::string_view bytes, FileEncoding encoding);

} // namespace qorva_zel
