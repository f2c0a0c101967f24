// The escaping of attribute values in the settings file.
#pragma once

#include <string>
#include <string_view>

namespace qorva_zel {

// Appends an attribute value as the file holds it, in UTF-16 code units:
// "&" "&amp;", "<" "&lt;", ">" "&gt;", '"' "&quot;", and each control
// character below U+0020 but TAB as "&#" two decimal digits ";". Everything
// else, TAB, non-ASCII characters and lone surrogates included, stays as it
// is.
void AppendEscapedAttribute(std::u16string_view value, std::u16string& out);

} // namespace qorva_zel
