#include "kit/display_modes.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace qorva_zel::kit {
namespace {

bool Close(double a, double b) noexcept
{
    return std::fabs(a - b) < QORVA_ZEL_KIT_REFRESH_TOLERANCE;
}

// Decimal digits only, within 32 bits.
std::optional<std::uint32_t> ReadWhole(std::string_view text)
{
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value;
}

} // namespace

double RateOf(const DisplayMode& mode) noexcept
{
    return mode.RefreshDenominator > 0
               ? static_cast<double>(mode.RefreshNumerator) / static_cast<double>(mode.RefreshDenominator)
               : static_cast<double>(mode.RefreshRate);
}

bool ModesMatch(const DisplayMode& a, const DisplayMode& b) noexcept
{
    return a.Width == b.Width && a.Height == b.Height && Close(RateOf(a), RateOf(b));
}

DisplayMode Completed(const DisplayMode& mode) noexcept
{
    DisplayMode done = mode;
    const double rate = RateOf(mode);
    done.RefreshRate = static_cast<float>(rate);
    if (mode.RefreshDenominator > 0 || !std::isfinite(rate) || rate < 0 || rate > 1.0e6) {
        return done;
    }
    const double whole = std::round(rate);
    const double ntsc = std::round(rate * 1001.0 / 1000.0);
    if (Close(rate, whole)) {
        done.RefreshNumerator = static_cast<std::uint32_t>(whole);
        done.RefreshDenominator = 1;
    } else if (Close(rate, ntsc * 1000.0 / 1001.0)) {
        done.RefreshNumerator = static_cast<std::uint32_t>(ntsc * 1000.0);
        done.RefreshDenominator = 1001;
    } else {
        done.RefreshNumerator = static_cast<std::uint32_t>(std::round(rate * 1000.0));
        done.RefreshDenominator = 1000;
    }
    return done;
}

DisplayMode FromResolution(const QORVA_ZEL_Resolution& resolution) noexcept
{
    DisplayMode mode{};
    mode.Width = resolution.Width;
    mode.Height = resolution.Height;
    mode.RefreshRate = resolution.RefreshRate;
    return Completed(mode);
}

QORVA_ZEL_Resolution ToResolution(const DisplayMode& mode) noexcept
{
    return QORVA_ZEL_Resolution{mode.Width, mode.Height, static_cast<float>(RateOf(mode))};
}

std::optional<std::size_t> MatchingMode(const std::vector<DisplayMode>& listed, const DisplayMode& wanted) noexcept
{
    for (std::size_t i = 0; i < listed.size(); ++i) {
        if (ModesMatch(listed[i], wanted)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> ClosestMode(const std::vector<DisplayMode>& listed, const DisplayMode& wanted) noexcept
{
    if (const std::optional<std::size_t> same = MatchingMode(listed, wanted)) {
        return same;
    }
    std::optional<std::size_t> best;
    std::uint64_t bestSize = 0;
    double bestRate = 0;
    const double rate = RateOf(wanted);
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const auto apart = [](std::uint32_t a, std::uint32_t b) -> std::uint64_t { return a > b ? a - b : b - a; };
        const std::uint64_t size = apart(listed[i].Width, wanted.Width) + apart(listed[i].Height, wanted.Height);
        const double rateApart = std::fabs(RateOf(listed[i]) - rate);
        const bool better = !best || size < bestSize ||
                            (size == bestSize && (rateApart < bestRate - QORVA_ZEL_KIT_REFRESH_TOLERANCE ||
                                                  (Close(rateApart, bestRate) && RateOf(listed[i]) > RateOf(listed[*best]))));
        if (better) {
            best = i;
            bestSize = size;
            bestRate = rateApart;
        }
    }
    return best;
}

std::optional<DisplayMode> ReadRate(std::string_view text)
{
    DisplayMode mode{};
    const std::size_t slash = text.find('/');
    if (slash != std::string_view::npos) {
        const std::optional<std::uint32_t> numerator = ReadWhole(text.substr(0, slash));
        const std::optional<std::uint32_t> denominator = ReadWhole(text.substr(slash + 1));
        if (!numerator || !denominator || *denominator == 0) {
            return std::nullopt;
        }
        mode.RefreshNumerator = *numerator;
        mode.RefreshDenominator = *denominator;
        return Completed(mode);
    }
    // Digits with at most one full stop, read without the locale.
    const std::size_t stop = text.find('.');
    const std::string_view whole = text.substr(0, stop);
    const std::string_view fraction = stop == std::string_view::npos ? std::string_view() : text.substr(stop + 1);
    const std::optional<std::uint32_t> units = ReadWhole(whole);
    if (!units || (stop != std::string_view::npos && fraction.empty())) {
        return std::nullopt;
    }
    double rate = *units;
    double scale = 0.1;
    for (char c : fraction) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        rate += (c - '0') * scale;
        scale /= 10;
    }
    mode.RefreshRate = static_cast<float>(rate);
    return Completed(mode);
}

} // namespace qorva_zel::kit
