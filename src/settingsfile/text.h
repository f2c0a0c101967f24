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

} // namespace qorva_zel
