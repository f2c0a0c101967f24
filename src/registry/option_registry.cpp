#include "registry/option_registry.h"

#include <functional>
#include <new>
#include <string>
#include <utility>

namespace qorva_zel {

std::uint32_t OptionRegistry::HashOf(std::u16string_view name) noexcept
{
    const std::size_t hash = std::hash<std::u16string_view>()(name);
    return static_cast<std::uint32_t>(hash) ^ static_cast<std::uint32_t>(static_cast<std::uint64_t>(hash) >> 32);
}

std::size_t OptionRegistry::Probe(std::u16string_view name, std::uint32_t hash) const noexcept
{
    // Linear probing; the table always has a free slot to end on.
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.Name == nullptr ||
            (slot.Hash == hash && records_[slot.Last].Name.size() == name.size() &&
             std::char_traits<char16_t>::compare(slot.Name, name.data(), name.size()) == 0)) {
            return i;
        }
    }
}

const OptionRegistry::Slot* OptionRegistry::FindSlot(std::u16string_view name) const noexcept
{
    if (slots_.empty()) {
        return nullptr;
    }
    const Slot& slot = slots_[Probe(name, HashOf(name))];
    return slot.Name == nullptr ? nullptr : &slot;
}

OptionMatch OptionRegistry::Find(std::u16string_view name)
{
    const Slot* slot = FindSlot(name);
    if (slot == nullptr) {
        return {};
    }
    return {links_[slot->Last].SameName, &records_[slot->Last], slot->Last};
}

OptionMatch OptionRegistry::FindOfType(std::u16string_view name, std::int32_t type)
{
    OptionMatch match;
    const Slot* slot = FindSlot(name);
    if (slot == nullptr) {
        return match;
    }
    // From the last record of the name back to the first.
    for (std::uint32_t position = slot->Last; position != kNone; position = links_[position].Previous) {
        if (records_[position].Type == type) {
            if (match.Count++ == 0) {
                match.Last = &records_[position];
                match.LastAt = position;
            }
        }
    }
    return match;
}

bool OptionRegistry::ContainsOfType(std::u16string_view name, std::int32_t type) const
{
    const Slot* slot = FindSlot(name);
    if (slot == nullptr) {
        return false;
    }
    for (std::uint32_t position = slot->Last; position != kNone; position = links_[position].Previous) {
        if (records_[position].Type == type) {
            return true;
        }
    }
    return false;
}

OptionRegistry::ExpectedMatch OptionRegistry::FindExpected(std::u16string_view name, std::int32_t type,
                                                           std::size_t& next)
{
    ExpectedMatch result;
    if (next < records_.size() && links_[next].SameName == 1 && records_[next].Name == name) {
        // The only record of that name.
        OptionRecord& record = records_[next];
        result.Match = {1, &record, next};
        result.HasType = record.Type == type;
        result.TypedAt = next;
        ++next;
        return result;
    }
    const Slot* slot = FindSlot(name);
    if (slot == nullptr) {
        return result;
    }
    result.Match = {links_[slot->Last].SameName, &records_[slot->Last], slot->Last};
    // The first record of the type in registration order: the last one met
    // on the way back.
    for (std::uint32_t position = slot->Last; position != kNone; position = links_[position].Previous) {
        if (records_[position].Type == type) {
            result.HasType = true;
            result.TypedAt = position;
        }
    }
    // The walk goes on after the record of the same type, if any.
    next = (result.HasType ? result.TypedAt : slot->Last) + 1;
    return result;
}

std::vector<OptionRegistry::Slot> OptionRegistry::Grown() const
{
    std::vector<Slot> grown(slots_.empty() ? 16 : slots_.size() * 2);
    const std::size_t mask = grown.size() - 1;
    for (const Slot& slot : slots_) {
        if (slot.Name != nullptr) {
            std::size_t i = slot.Hash & mask;
            while (grown[i].Name != nullptr) {
                i = (i + 1) & mask;
            }
            grown[i] = slot;
        }
    }
    return grown;
}

void OptionRegistry::Append(OptionRecord record)
{
    const std::size_t position = records_.size();
    if (position >= kNone) {
        throw std::bad_alloc();
    }
    // Everything that allocates comes first; once the record is in, nothing
    // below throws.
    std::vector<Slot> grown;
    if ((position + 1) * 2 > slots_.size()) {
        grown = Grown();
    }
    if (links_.size() == links_.capacity()) {
        links_.reserve(links_.empty() ? 16 : links_.capacity() * 2);
    }
    records_.push_back(std::move(record));
    if (!grown.empty()) {
        slots_.swap(grown);
    }

    const OptionRecord& stored = records_.back();
    const std::uint32_t hash = HashOf(stored.Name);
    Slot& slot = slots_[Probe(stored.Name, hash)];
    Link link;
    if (slot.Name != nullptr) {
        // The name is taken: every record of it learns of one more.
        link = {slot.Last, links_[slot.Last].SameName + 1};
        for (std::uint32_t earlier = slot.Last; earlier != kNone; earlier = links_[earlier].Previous) {
            links_[earlier].SameName = link.SameName;
        }
    }
    slot = {stored.Name.data(), hash, static_cast<std::uint32_t>(position)};
    links_.push_back(link);
}

void OptionRegistry::Clear() noexcept
{
    std::vector<Slot>().swap(slots_);
    links_.clear();
    records_.clear();
}

} // namespace qorva_zel
