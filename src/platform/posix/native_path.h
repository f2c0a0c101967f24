// Paths as the POSIX file calls take them: UTF-8, every backslash turned
// into '/'.
#pragma once

#include <string>

namespace qorva_zel {
using NativePath = std::string;
} // namespace qorva_zel
