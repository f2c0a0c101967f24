// Display modes as players have them: refresh rates as fractions or
// numbers, the tolerant match, the closest listed mode, and rates read from
// text. Pure functions; no library calls.
#pragma once

#include "qorva_zel_kit.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace qorva_zel::kit {

using DisplayMode = QORVA_ZEL_KIT_DisplayMode;

// Exactly the same mode, as the library compares them.
inline bool SameResolution(const QORVA_ZEL_Resolution& a, const QORVA_ZEL_Resolution& b) noexcept
{
    return a.Width == b.Width && a.Height == b.Height && a.RefreshRate == b.RefreshRate;
}

// The rate in hertz: the fraction when it has a denominator, else RefreshRate.
double RateOf(const DisplayMode& mode) noexcept;

// Equal size and rates less than QORVA_ZEL_KIT_REFRESH_TOLERANCE apart.
bool ModesMatch(const DisplayMode& a, const DisplayMode& b) noexcept;

// The mode with all three rate members filled: the fraction it has, else
// N/1, N*1000/1001 or thousandths of a hertz, and the rate as a float.
DisplayMode Completed(const DisplayMode& mode) noexcept;

DisplayMode FromResolution(const QORVA_ZEL_Resolution& resolution) noexcept;
QORVA_ZEL_Resolution ToResolution(const DisplayMode& mode) noexcept;

// The first listed mode that matches, or the closest: the nearest size
// (|dw| + |dh|), then the nearest rate, the higher on a tie.
std::optional<std::size_t> MatchingMode(const std::vector<DisplayMode>& listed, const DisplayMode& wanted) noexcept;
std::optional<std::size_t> ClosestMode(const std::vector<DisplayMode>& listed, const DisplayMode& wanted) noexcept;

// A rate written as "59.94" or "60000/1001"; nothing for other text.
std::optional<DisplayMode> ReadRate(std::string_view text);

} // namespace qorva_zel::kit
