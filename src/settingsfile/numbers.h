// Number texts of the settings file, independent of the process locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qorva_zel {

std::string FormatInt(std::int32_t value);       // "-5"
std::string FormatUnsigned(std::uint32_t value); // "1920"

// The short "%g" form ("60", "59.94", "1e-05") when it reads back as the same
// float; otherwise the fewest significant digits, 7 to 9, in the same style
// that do ("0.33333334"). Infinities and NaN are "inf", "-inf", "nan".
std::string FormatFloat(float value);

// Skips leading white space, takes an optional sign and decimal digits up to
// the first other character. No digits gives 0; values past the 32-bit range
// give its nearest end.
std::int32_t ReadInt(std::string_view text);

// Skips leading white space and takes the longest decimal number: sign,
// digits with at most one full stop, optional exponent; or "inf",
// "infinity", "nan" in any case. Read in double precision, rounded to
// float; beyond the float range it becomes an infinity of its sign. No
// number gives 0.
float ReadFloat(std::string_view text);

// True when the first character is '1', 't', 'T', 'y' or 'Y'.
bool ReadBool(std::string_view text);

} // namespace qorva_zel
