// The names a save gives its temporary files, written out a second time,
// apart from the library's own: they are a contract between processes and
// versions (a save clears what a killed one left), so the tests hold the
// library to this copy. Free of GoogleTest.
#pragma once

#include <cstdint>
#include <string>

namespace qorva_zel_test {

// ".<file>.tmp-", after which a save adds 16 lowercase hex digits and ".qz".
// A file name too long for that within 255 bytes is cut to its first 213
// bytes (fewer where a UTF-8 character would be split), followed by "~"
// and the 16 lowercase hex digits of its whole FNV-1a hash (64 bits).
inline std::string TemporaryPrefix(const std::string& fileName)
{
    constexpr std::size_t kLongestName = 255;
    constexpr std::size_t kAround = 25; // ".", ".tmp-", 16 digits, ".qz"
    if (fileName.size() + kAround <= kLongestName) {
        return "." + fileName + ".tmp-";
    }
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : fileName) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    }
    std::size_t head = kLongestName - kAround - 17;
    while (head > 0 && (static_cast<unsigned char>(fileName[head]) & 0xC0) == 0x80) {
        --head;
    }
    std::string digits;
    for (int i = 0; i < 16; ++i, hash >>= 4) {
        digits += "0123456789abcdef"[hash & 0xf];
    }
    return "." + fileName.substr(0, head) + "~" + digits + ".tmp-";
}

} // namespace qorva_zel_test
