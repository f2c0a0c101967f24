// The escaping of attribute values in the settings file.
#pragma once

#include <string>
#include <string_view>

namespace qorva_zel {

// UTF-8 text of an attribute value as the file holds it: "&" "&amp;",
// "<" "&lt;", ">" "&gt;", '"' "&quot;", and each control character below
// U+0020 but TAB as "&#" two decimal digits ";". Everything else, TAB and
// non-ASCII characters included, stays as it is.
std::string EscapeAttribute(std::u16string_view value);

} // namespace qorva_zel
