// The byte order of the machine, for the settings file's UTF-16
// little-endian bytes.
#pragma once

namespace qorva_zel {

#if defined(__BYTE_ORDER__) && defined(__ORDER_BIG_ENDIAN__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
inline constexpr bool kLittleEndian = false;
#else
inline constexpr bool kLittleEndian = true; // every Windows target, and the rest but big-endian ones
#endif

inline constexpr char16_t SwapBytes(char16_t unit) noexcept
{
    return static_cast<char16_t>((unit >> 8) | (unit << 8));
}

} // namespace qorva_zel
