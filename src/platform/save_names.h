// The names of the files a save writes beside the settings file. They are a
// contract between processes and between versions: every save clears what a
// killed save left behind, so each version recognises the names every other
// one writes, and never takes a player's file for one of them. Both platform
// folders use these templates (char names on POSIX, wchar_t on Windows).
//
//   .<file>.tmp-<r>.qz   the new content, renamed over the settings file
//   .<file>.bak-<r>.qz   the old file while ReplaceFileW swaps them (Windows)
//
// <r> is 16 lowercase hex digits drawn at random. Earlier versions wrote
// "<pid>-<n>" (decimal digits) in place of "<r>.qz"; such names are still
// recognised, so that what they left behind is cleared.
//
// A name longer than kLongestName does not fit in a directory. When
// ".<file>.tmp-<r>.qz" would not, <file> is replaced by its first units (a
// character never cut) followed by "~" and the 16 lowercase hex digits of
// the FNV-1a hash (64 bits) of the whole file name's units, so that the
// prefix still belongs to this file alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace qorva_zel::save_names {

inline constexpr std::size_t kRandomDigits = 16;
inline constexpr std::size_t kLongestName = 255; // NAME_MAX; Windows: UTF-16 units
inline constexpr std::string_view kTemporaryKind = "tmp";
inline constexpr std::string_view kBackupKind = "bak";
inline constexpr std::string_view kSuffix = ".qz";

template <class Char>
void AppendAscii(std::basic_string<Char>& to, std::string_view ascii)
{
    for (const char c : ascii) {
        to.push_back(static_cast<Char>(c));
    }
}

template <class Char>
void AppendHex(std::basic_string<Char>& to, std::uint64_t bits)
{
    for (std::size_t i = 0; i < 16; ++i, bits >>= 4) {
        const unsigned digit = static_cast<unsigned>(bits & 0xf);
        to.push_back(static_cast<Char>(digit < 10 ? '0' + digit : 'a' + (digit - 10)));
    }
}

// A unit that continues a character: a UTF-8 continuation byte, or the
// second half of a UTF-16 surrogate pair.
template <class Char>
bool ContinuesCharacter(Char unit) noexcept
{
    if constexpr (sizeof(Char) == 1) {
        return (static_cast<unsigned char>(unit) & 0xC0) == 0x80;
    } else {
        const auto value = static_cast<std::uint32_t>(unit);
        return value >= 0xDC00 && value <= 0xDFFF;
    }
}

template <class Char>
std::uint64_t NameHash(std::basic_string_view<Char> name) noexcept
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const Char unit : name) {
        hash ^= static_cast<std::uint64_t>(static_cast<std::make_unsigned_t<Char>>(unit));
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

// ".<file>.<kind>-": what every name of that kind for the file starts with.
template <class Char>
std::basic_string<Char> Prefix(std::basic_string_view<Char> fileName, std::string_view kind)
{
    // "." file "." kind "-" digits suffix
    const std::size_t around = 3 + kind.size() + kRandomDigits + kSuffix.size();
    std::basic_string<Char> prefix(1, static_cast<Char>('.'));
    if (fileName.size() + around <= kLongestName) {
        prefix += fileName;
    } else {
        std::size_t head = kLongestName - around - 1 - 16; // room for "~" and the hash
        while (head > 0 && ContinuesCharacter(fileName[head])) {
            --head;
        }
        prefix += fileName.substr(0, head);
        prefix.push_back(static_cast<Char>('~'));
        AppendHex(prefix, NameHash(fileName));
    }
    prefix.push_back(static_cast<Char>('.'));
    AppendAscii(prefix, kind);
    prefix.push_back(static_cast<Char>('-'));
    return prefix;
}

// The random part and the suffix, appended to a prefix.
template <class Char>
void AppendRandomPart(std::basic_string<Char>& name, std::uint64_t bits)
{
    AppendHex(name, bits);
    AppendAscii(name, kSuffix);
}

// Spreads the bits of a value (splitmix64): the fallback when the system's
// random source fails mixes a clock, an address and a counter with it.
inline std::uint64_t Mix(std::uint64_t value) noexcept
{
    value += 0x9e3779b97f4a7c15ULL;
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ULL;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebULL;
    return value ^ (value >> 31);
}

template <class Char>
bool AllOf(std::basic_string_view<Char> text, bool hex) noexcept
{
    if (text.empty()) {
        return false;
    }
    for (const Char c : text) {
        const bool decimal = c >= static_cast<Char>('0') && c <= static_cast<Char>('9');
        if (!decimal && !(hex && c >= static_cast<Char>('a') && c <= static_cast<Char>('f'))) {
            return false;
        }
    }
    return true;
}

// True for exactly the names a save gives its files after prefix: 16
// lowercase hex digits and ".qz", or (earlier versions) decimal digits, '-'
// and decimal digits. A player's ".<file>.tmp-2024-12-08-backup" or
// "...tmp-0123456789ABCDEF.QZ" is neither (case counts, on Windows too).
template <class Char>
bool IsSaveName(std::basic_string_view<Char> name, std::basic_string_view<Char> prefix) noexcept
{
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) {
        return false;
    }
    const std::basic_string_view<Char> rest = name.substr(prefix.size());
    if (rest.size() == kRandomDigits + kSuffix.size()) {
        const std::basic_string_view<Char> suffix = rest.substr(kRandomDigits);
        bool suffixMatches = true;
        for (std::size_t i = 0; i < kSuffix.size(); ++i) {
            suffixMatches = suffixMatches && suffix[i] == static_cast<Char>(kSuffix[i]);
        }
        if (suffixMatches) {
            return AllOf(rest.substr(0, kRandomDigits), true);
        }
    }
    const std::size_t dash = rest.find(static_cast<Char>('-'));
    return dash != std::basic_string_view<Char>::npos && AllOf(rest.substr(0, dash), false) &&
           AllOf(rest.substr(dash + 1), false);
}

} // namespace qorva_zel::save_names
