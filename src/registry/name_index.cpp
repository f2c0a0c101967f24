#include "registry/name_index.h"

#include <functional>
#include <string>

namespace qorva_zel {

std::uint32_t NameIndex::HashOf(std::u16string_view name) noexcept
{
    const std::size_t hash = std::hash<std::u16string_view>()(name);
    return static_cast<std::uint32_t>(hash) ^ static_cast<std::uint32_t>(static_cast<std::uint64_t>(hash) >> 32);
}

std::size_t NameIndex::Probe(std::u16string_view name, std::uint32_t hash) const noexcept
{
    // Linear probing; the table always has a free slot to end on.
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.Name == nullptr || (slot.Hash == hash && slot.Size == name.size() &&
                                     std::char_traits<char16_t>::compare(slot.Name, name.data(), name.size()) == 0)) {
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
