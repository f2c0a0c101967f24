#include "registry/option_registry.h"

#include <utility>

namespace qorva_zel {

OptionMatch OptionRegistry::Find(std::u16string_view name)
{
    const auto found = byName_.find(name);
    if (found == byName_.end()) {
        return {};
    }
    return {found->second.size(), &records_[found->second.back()]};
}

OptionMatch OptionRegistry::FindOfType(std::u16string_view name, std::int32_t type)
{
    OptionMatch match;
    const auto found = byName_.find(name);
    if (found == byName_.end()) {
        return match;
    }
    for (const std::size_t position : found->second) {
        if (records_[position].Type == type) {
            ++match.Count;
            match.Last = &records_[position];
        }
    }
    return match;
}

bool OptionRegistry::AnyOfType(const Positions& positions, std::int32_t type) const
{
    for (const std::size_t position : positions) {
        if (records_[position].Type == type) {
            return true;
        }
    }
    return false;
}

bool OptionRegistry::ContainsOfType(std::u16string_view name, std::int32_t type) const
{
    const auto found = byName_.find(name);
    return found != byName_.end() && AnyOfType(found->second, type);
}

OptionRegistry::ExpectedMatch OptionRegistry::FindExpected(std::u16string_view name, std::int32_t type,
                                                           std::size_t& next)
{
    ExpectedMatch result;
    if (next < records_.size() && sameName_[next] == 1 && records_[next].Name == name) {
        // The only record of that name.
        OptionRecord& record = records_[next];
        result.Match = {1, &record};
        result.HasType = record.Type == type;
        result.TypedAt = next;
        ++next;
        return result;
    }
    const auto found = byName_.find(name);
    if (found == byName_.end()) {
        return result;
    }
    const Positions* positions = &found->second;
    result.Match = {positions->size(), &records_[positions->back()]};
    for (const std::size_t position : *positions) {
        if (records_[position].Type == type) {
            result.HasType = true;
            result.TypedAt = position;
            break;
        }
    }
    // The walk goes on after the record of the same type, if any.
    next = (result.HasType ? result.TypedAt : positions->back()) + 1;
    return result;
}

void OptionRegistry::Append(OptionRecord record)
{
    const std::size_t position = records_.size();
    records_.push_back(std::move(record));
    const OptionRecord& stored = records_.back();
    try {
        Positions& positions = byName_[stored.Name];
        try {
            positions.push_back(position);
            sameName_.push_back(positions.size());
        } catch (...) {
            if (!positions.empty() && positions.back() == position) {
                positions.pop_back();
            }
            throw;
        }
        // Nothing below throws: the earlier records of the name learn of it.
        for (const std::size_t earlier : positions) {
            sameName_[earlier] = positions.size();
        }
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
    sameName_.clear();
    records_.clear();
}

} // namespace qorva_zel
