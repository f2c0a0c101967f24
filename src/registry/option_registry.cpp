#include "registry/option_registry.h"

#include <utility>

namespace qorva_zel {

OptionMatch OptionRegistry::Find(std::u16string_view name)
{
    const auto found = byName_.find(name);
    if (found == byName_.end()) {
        return {};
    }
    return {found->second.size(), found->second.back()};
}

OptionMatch OptionRegistry::FindOfType(std::u16string_view name, std::int32_t type)
{
    OptionMatch match;
    const auto found = byName_.find(name);
    if (found == byName_.end()) {
        return match;
    }
    for (OptionRecord* record : found->second) {
        if (record->Type == type) {
            ++match.Count;
            match.Last = record;
        }
    }
    return match;
}

bool OptionRegistry::ContainsOfType(std::u16string_view name, std::int32_t type) const
{
    const auto found = byName_.find(name);
    if (found == byName_.end()) {
        return false;
    }
    for (const OptionRecord* record : found->second) {
        if (record->Type == type) {
            return true;
        }
    }
    return false;
}

void OptionRegistry::Append(OptionRecord record)
{
    records_.push_back(std::move(record));
    OptionRecord& stored = records_.back();
    try {
        byName_[stored.Name].push_back(&stored);
    } catch (...) {
        // Leave no index entry without a record and no record without one.
        const auto found = byName_.find(stored.Name);
        if (found != byName_.end() && found->second.empty()) {
            byName_.erase(found);
        }
        records_.pop_back();
        throw;
    }
}

void OptionRegistry::Clear() noexcept
{
    byName_.clear();
    records_.clear();
}

} // namespace qorva_zel
