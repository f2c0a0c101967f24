#include "registry/name_index.h"

#include <cstring>

namespace qorva_zel {
namespace {

constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;

std::uint64_t Mix(std::uint64_t hash, std::uint64_t word) noexcept
{
    hash = (hash ^ word) * kMultiplier;
    return hash ^ (hash >> 29);
}

} // namespace

// Eight bytes of the name a step (a name is mostly a dozen characters or
// two), each multiplied in and its high bits folded down, then the upper half
// of one more product, so that the low bits that pick the slot depend on
// every character. Only equal names need equal hashes, within one process.
std::uint32_t NameIndex::HashOf(std::u16string_view name) noexcept
{
    const char* bytes = reinterpret_cast<const char*>(name.data());
    std::size_t left = name.size() * sizeof(char16_t);
    std::uint64_t hash = left;
    for (; left >= 8; left -= 8, bytes += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes, 8);
        hash = Mix(hash, word);
    }
    if (left != 0) {
        std::uint64_t word = 0;
        if (left >= 4) {
            std::uint32_t half;
            std::memcpy(&half, bytes, 4);
            word = half;
            bytes += 4;
            left -= 4;
        }
        if (left != 0) {
            std::uint16_t unit;
            std::memcpy(&unit, bytes, 2);
            word = (word << 16) | unit;
        }
        hash = Mix(hash, word);
    }
    // The upper half of a product depends on every bit of the hash.
    return static_cast<std::uint32_t>((hash * 0xFF51AFD7ED558CCDu) >> 32);
}

std::size_t NameIndex::Probe(std::u16string_view name, std::uint32_t hash) const noexcept
{
    // Linear probing; the table always has a free slot to end on.
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.Name == nullptr || (slot.Hash == hash && slot.Size == name.size() &&
                                     (name.empty() ||
                                      std::memcmp(slot.Name, name.data(), name.size() * sizeof(char16_t)) == 0))) {
            return i;
        }
    }
}

std::uint32_t NameIndex::Find(std::u16string_view name) const noexcept
{
    if (slots_.empty()) {
        return kNone;
    }
    const Slot& slot = slots_[Probe(name, HashOf(name))];
    return slot.Name == nullptr ? kNone : slot.Position;
}

void NameIndex::Reserve(std::size_t count)
{
    std::size_t size = slots_.empty() ? 16 : slots_.size();
    while (count * 2 > size) {
        size *= 2;
    }
    if (size == slots_.size()) {
        return;
    }
    std::vector<Slot> grown(size);
    const std::size_t mask = size - 1;
    for (const Slot& slot : slots_) {
        if (slot.Name != nullptr) {
            std::size_t i = slot.Hash & mask;
            while (grown[i].Name != nullptr) {
                i = (i + 1) & mask;
            }
            grown[i] = slot;
        }
    }
    slots_.swap(grown);
}

void NameIndex::Assign(std::u16string_view name, std::uint32_t position) noexcept
{
    const std::uint32_t hash = HashOf(name);
    Slot& slot = slots_[Probe(name, hash)];
    slot = {name.data(), static_cast<std::uint32_t>(name.size()), hash, position};
}

void NameIndex::Clear() noexcept
{
    std::vector<Slot>().swap(slots_);
}

} // namespace qorva_zel
