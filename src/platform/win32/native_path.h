// Paths as the Windows wide (...W) file calls take them: the UTF-16 units
// unchanged, backslashes included.
#pragma once

#include <string>

namespace qorva_zel {
using NativePath = std::wstring;
} // namespace qorva_zel
