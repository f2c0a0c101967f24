// The registered options, in registration order, with a name index.
#pragma once

#include "registry/option_record.h"

#include <cstddef>
#include <deque>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qorva_zel {

// Result of a look-up by name: the number of matching records and the one
// registered last.
struct OptionMatch {
    std::size_t Count = 0;
    OptionRecord* Last = nullptr;
};

// Records live in a deque, so they never move once appended: the index keys
// are views of the records' own names. Every look-up answers exactly as a
// scan of all records in registration order would, without the scan.
class OptionRegistry {
public:
    OptionRegistry() = default;
    OptionRegistry(const OptionRegistry&) = delete;
    OptionRegistry& operator=(const OptionRegistry&) = delete;

    // Every record of that name.
    OptionMatch Find(std::u16string_view name);
    // Every record of that name and type.
    OptionMatch FindOfType(std::u16string_view name, std::int32_t type);
    bool ContainsOfType(std::u16string_view name, std::int32_t type) const;

    // Find(name) and ContainsOfType(name, type) in one look-up, for a walk
    // over names that mostly come in registration order (a settings file
    // that the library wrote). next is where the name is expected: when the
    // record there has it, the index is not consulted. Afterwards next is
    // the position after the record that matched.
    struct ExpectedMatch {
        OptionMatch Match;       // as Find(name)
        bool HasType = false;    // as ContainsOfType(name, type)
        std::size_t TypedAt = 0; // with HasType: the position of that record
    };
    ExpectedMatch FindExpected(std::u16string_view name, std::int32_t type, std::size_t& next);

    // Appends a record. Strong guarantee: on an exception nothing changed.
    void Append(OptionRecord record);
    void Clear() noexcept;

    bool Empty() const noexcept { return records_.empty(); }
    std::size_t Size() const noexcept { return records_.size(); }
    auto begin() const noexcept { return records_.cbegin(); }
    auto end() const noexcept { return records_.cend(); }

private:
    // Positions in records_ of the records of one name, in registration order.
    using Positions = std::vector<std::size_t>;

    bool AnyOfType(const Positions& positions, std::int32_t type) const;

    std::deque<OptionRecord> records_;
    // For each record, how many records have its name, so that a look-up
    // that meets a name held by one record alone needs no index.
    std::deque<std::size_t> sameName_;
    std::unordered_map<std::u16string_view, Positions> byName_;
};

} // namespace qorva_zel
