// The snapshot of option records as they were at the last load or save.
#pragma once

#include "registry/option_record.h"

#include <set>
#include <string_view>

namespace qorva_zel {

// Orders records by name, code unit by code unit as unsigned 16-bit numbers;
// a name sorts before every longer name that begins with it.
struct NameLess {
    using is_transparent = void;
    bool operator()(const OptionRecord& a, const OptionRecord& b) const noexcept { return a.Name < b.Name; }
    bool operator()(const OptionRecord& a, std::u16string_view b) const noexcept { return a.Name < b; }
    bool operator()(std::u16string_view a, const OptionRecord& b) const noexcept { return a < b.Name; }
};

// A multiset: a new record goes after every record of an equal name, so
// records of one name keep their insertion order.
class SavedOptions {
public:
    using Set = std::multiset<OptionRecord, NameLess>;

    void Clear() noexcept { records_.clear(); }
    void Insert(OptionRecord record) { records_.insert(std::move(record)); }

    // The first record of that name, or end().
    Set::const_iterator Find(std::u16string_view name) const;

    Set::const_iterator begin() const noexcept { return records_.cbegin(); }
    Set::const_iterator end() const noexcept { return records_.cend(); }
    std::size_t Size() const noexcept { return records_.size(); }

    void Swap(SavedOptions& other) noexcept { records_.swap(other.records_); }

private:
    Set records_;
};

} // namespace qorva_zel
