// Texts from the file (and paths) made safe for a terminal and for JSON.
#pragma once

#include "settingsfile/encoding.h"

#include <string>
#include <string_view>

namespace qorvazel {

// For human-readable output: control characters (C0 with TAB, LF and CR,
// DEL and C1) written as escapes, "\t", "\n", "\r", "\x1b", "\u009b", so
// that nothing in a file can move the cursor, retitle or reprogram the
// terminal. Everything else, bytes that are no UTF-8 included, as it is.
std::string Printable(std::string_view text);

// For dump, which prints XML: the same control characters as character
// references ("&#x1B;"), but TAB, LF and a CR before an LF, which are the
// text's own white space and line ends.
std::string DumpSafe(std::string_view text);

// A JSON string, quotes included, always valid UTF-8: a surrogate encoded
// on its own (as a UTF-16 file's lone surrogate is read) becomes "\udXXX";
// bytes that form no character, and sequences beyond U+10FFFF, become
// U+FFFD.
std::string JsonString(std::string_view text);

// The encoding's name for people: "UTF-16LE", "UTF-8 with BOM", ...
const char* EncodingName(qorva_zel::FileEncoding encoding) noexcept;

} // namespace qorvazel
