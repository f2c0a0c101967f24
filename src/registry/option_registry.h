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

    // Appends a record. Strong guarantee: on an exception nothing changed.
    void Append(OptionRecord record);
    void Clear() noexcept;

    bool Empty() const noexcept { return records_.empty(); }
    std::size_t Size() const noexcept { return records_.size(); }
    auto begin() const noexcept { return records_.cbegin(); }
    auto end() const noexcept { return records_.cend(); }

private:
    std::deque<OptionRecord> records_;
    std::unordered_map<std::u16string_view, std::vector<OptionRecord*>> byName_;
};

} // namespace qorva_zel
