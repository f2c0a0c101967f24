// The registered options: records in registration order, a name index, and
// for each option its saved value and whether the current value differs
// from it. Every change of a current or a saved value goes through the
// table, which compares the two again, so the count of differences is
// always the answer of the dirty check.
#pragma once

#include "registry/name_index.h"
#include "registry/option_record.h"
#include "registry/option_value.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qorva_zel {

class OptionTable {
public:
    // The options registered under a name: how many, and the position of
    // the one registered last.
    struct Named {
        std::size_t Count = 0;
        std::size_t LastAt = 0;
    };

    OptionTable() = default;
    OptionTable(const OptionTable&) = delete;
    OptionTable& operator=(const OptionTable&) = delete;

    Named Find(std::u16string_view name) const noexcept;
    // The position of the option of that name and type (there is at most
    // one), if it is registered.
    std::optional<std::size_t> FindOfType(std::u16string_view name, std::int32_t type) const noexcept;

    // Find(name) and FindOfType(name, type) in one look-up, for a walk over
    // names that mostly come in registration order (a settings file that the
    // library wrote). next is where the name is expected: when the option
    // there has it, the index is not consulted. Afterwards next is the
    // position after the option that matched.
    struct Expected {
        Named Name;
        std::optional<std::size_t> Typed;
    };
    Expected FindExpected(std::u16string_view name, std::int32_t type, std::size_t& next) const noexcept;

    // Appends an option, with no saved value. Strong guarantee: on an
    // exception nothing changed.
    void Append(OptionRecord record);
    void Clear() noexcept;

    std::size_t Size() const noexcept { return entries_.size(); }
    const OptionRecord& Record(std::size_t position) const noexcept { return entries_[position].Record; }
    const SavedValue& Saved(std::size_t position) const noexcept { return entries_[position].Saved; }

    // Stores a validated value as the option's current value (an Enum
    // string is swapped in).
    void Store(PreparedValue& value) noexcept;
    // Stores a validated value of the option's type as the option at
    // position's current value, an Enum string copied into the record's own
    // (no allocation when it fits there). Strong guarantee: on an exception
    // nothing changed.
    void Store(std::size_t position, const ValueView& value);
    // Replaces the option's saved value; value.String is swapped in.
    void StoreSaved(std::size_t position, SavedValue& value) noexcept;
    // A save in two steps: PrepareSave copies what the saved values will
    // need (it may throw), CommitSave makes every current value the saved one
    // and cannot fail. No value may change in between.
    class PendingSave {
        friend class OptionTable;
        std::vector<std::pair<std::size_t, std::u16string>> strings_; // Enum strings that change
    };
    PendingSave PrepareSave() const;
    void CommitSave(PendingSave& pending) noexcept;
    // Every option without a saved value.
    void ForgetSaved() noexcept;

    // How many options differ from their saved values.
    std::size_t Differing() const noexcept { return differing_; }

    // Calls visit(record) for each option in registration order.
    template <class Visit>
    void ForEachRecord(Visit&& visit) const
    {
        for (const Entry& entry : entries_) {
            visit(entry.Record);
        }
    }

private:
    static constexpr std::uint32_t kNone = NameIndex::kNone;

    struct Entry {
        OptionRecord Record;
        SavedValue Saved;
        bool Differs = true;
        // The option registered before it under the same name, and how many
        // options share the name.
        std::uint32_t Previous = kNone;
        std::uint32_t SameName = 1;
    };

    void Compare(Entry& entry) noexcept;

    // A deque, so that records never move and the index can point at their
    // names.
    std::deque<Entry> entries_;
    NameIndex index_;
    std::size_t differing_ = 0;
};

} // namespace qorva_zel
