// The registered options, in registration order, with a name index.
#pragma once

#include "registry/option_record.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

namespace qorva_zel {

// Result of a look-up by name: the number of matching records and the one
// registered last, with its position.
struct OptionMatch {
    std::size_t Count = 0;
    OptionRecord* Last = nullptr;
    std::size_t LastAt = 0;
};

// Records live in a deque, so they never move once appended: the index
// points at the records' own names. Every look-up answers exactly as a scan
// of all records in registration order would, without the scan, and costs
// the same however many records there are.
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
    const OptionRecord& operator[](std::size_t position) const noexcept { return records_[position]; }
    auto begin() const noexcept { return records_.cbegin(); }
    auto end() const noexcept { return records_.cend(); }

private:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    // One name of the index, open-addressed: the text of the name (that of
    // the record registered last under it), a hash of it, and that record's
    // position. A slot without text is free. The name and the record are
    // both reached straight from the slot, so that a look-up waits for
    // memory no more than twice in a row.
    struct Slot {
        const char16_t* Name = nullptr;
        std::uint32_t Hash = 0;
        std::uint32_t Last = 0;
    };
    // For each record: the position of the record registered before it
    // under the same name, and how many records share its name.
    struct Link {
        std::uint32_t Previous = kNone;
        std::uint32_t SameName = 1;
    };

    static std::uint32_t HashOf(std::u16string_view name) noexcept;
    // The slot of that name, or the free slot where it would go.
    std::size_t Probe(std::u16string_view name, std::uint32_t hash) const noexcept;
    const Slot* FindSlot(std::u16string_view name) const noexcept;
    // A table twice the size holding the same names.
    std::vector<Slot> Grown() const;

    std::deque<OptionRecord> records_;
    std::vector<Link> links_;
    // A power of two in size, and never more than half full.
    std::vector<Slot> slots_;
};

} // namespace qorva_zel
