// Conversions between UTF-16 and UTF-8: the library's strings, the text of
// the XML document, the settings file's bytes and POSIX paths. Pure
// functions; nothing of the library.
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

// Decodes UTF-16 bytes of either byte order into UTF-8: an odd last byte is
// ignored, a leading byte-order mark dropped, and a lone surrogate kept
// (three bytes).
std::string Utf16LeBytesToUtf8(std::string_view bytes);
void Utf16LeBytesToUtf8(std::string_view bytes, std::string& out); // reuses out's buffer
// The same over the bytes themselves, when the text never overtakes the
// bytes still to be read (always so for ASCII and characters below U+0800).
// False, and buffer unchanged, when it would.
bool Utf16LeBytesToUtf8InPlace(std::string& buffer) noexcept;
std::string Utf16BeBytesToUtf8(std::string_view bytes);

} // namespace qorva_zel
