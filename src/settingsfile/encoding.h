// The encodings a settings file may come in, told apart by its first bytes,
// and its text decoded to UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace qorva_zel {

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
void DecodeFileBytes(std::string_view bytes, FileEncoding encoding, std::string& out); // reuses out's buffer

// The same over the bytes themselves, where the text fits in the place of
// the bytes as they are read (UTF-8, and UTF-16LE below U+0800 early on).
// False, and bytes unchanged, otherwise.
bool DecodeFileBytesInPlace(std::string& bytes, FileEncoding encoding) noexcept;

} // namespace qorva_zel
