// The snapshot of option records as they were at the last load or save.
#pragma once

#include "registry/option_record.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qorva_zel {

// The saved value of one registered option: what the dirty check compares.
struct SavedValue {
    QORVA_ZEL_Value Value{};                 // Integer, Float, Bool
    const std::u16string* String = nullptr;  // Enum: the saved record's string
    bool Present = false;
    bool Differs = false; // from the option's current value, at the last comparison
};

// Whether an option's current value equals a saved one. Current values
// only; limits and allowed strings never take part.
bool SameValue(const OptionRecord& current, const SavedValue& saved) noexcept;

// Records in insertion order. The dirty check asks, for each registered
// option, for the first record inserted with its name and type. Loading and
// saving know that answer as they fill the snapshot: they insert each record
// with the position of its registered option (InsertFor), and the saved
// values are then kept in registration order, where the dirty check reads
// them without looking at a name. Records inserted without a position are
// found through an index of names and types, built on the first look-up
// after a change, so that filling the snapshot costs no more than appending.
class SavedOptions {
public:
    void Clear() noexcept;
    // Strong guarantee for both: on an exception nothing changed.
    void Insert(OptionRecord record);
    // record has the name and type of the registered option at position
    // registeredAt (registered options keep their positions, and no two of
    // them share both name and type).
    void InsertFor(OptionRecord record, std::size_t registeredAt);

    // True when every record was inserted with InsertFor; then ValueFor
    // answers as FindOfType would for the registered option at that position.
    bool AllPlaced() const noexcept { return unplaced_ == 0; }
    // Makes room for the saved values of that many registered options, so
    // that each of them can be compared.
    void PlaceFor(std::size_t registeredCount);

    // Compares the current value of the registered option at that position
    // with its saved value and keeps the answer. A set calls it for the
    // option it changed, and loading and saving call CompareAll once the
    // new values are in, so that the dirty check need not compare anything.
    void Compare(std::size_t registeredAt, const OptionRecord& current) noexcept;
    template <class Registered>
    void CompareAll(const Registered& registered) noexcept
    {
        std::size_t position = 0;
        for (const OptionRecord& record : registered) {
            Compare(position++, record);
        }
        compared_ = true;
    }
    // True when every record was placed and compared since the last change
    // of the snapshot; then Differing and PlacedCount tell the dirty check
    // all it needs.
    bool Tracked() const noexcept { return compared_ && unplaced_ == 0; }
    std::size_t Differing() const noexcept { return differing_; }
    std::size_t PlacedCount() const noexcept { return byRegistered_.size(); }

    // The saved value of the registered option at that position, or null.
    const SavedValue* ValueFor(std::size_t registeredAt) const noexcept
    {
        return registeredAt < byRegistered_.size() && byRegistered_[registeredAt].Present
                   ? &byRegistered_[registeredAt]
                   : nullptr;
    }

    // The first record inserted with that name and type, or null. next is
    // where it is expected (a walk over the registered options in order
    // mostly meets them in the order of the snapshot): when the record
    // there is the answer, the index is not consulted. Afterwards
    // next is the position after the record found. Never throws: when
    // there is no memory for the index, the records are scanned instead.
    const OptionRecord* FindOfType(std::u16string_view name, std::int32_t type, std::size_t& next) const noexcept;

    std::deque<OptionRecord>::const_iterator begin() const noexcept { return records_.cbegin(); }
    std::deque<OptionRecord>::const_iterator end() const noexcept { return records_.cend(); }
    std::size_t Size() const noexcept { return records_.size(); }

    void Swap(SavedOptions& other) noexcept;

private:
    struct Key {
        std::u16string_view Name;
        std::int32_t Type;
        bool operator==(const Key& other) const noexcept { return Type == other.Type && Name == other.Name; }
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const noexcept
        {
            return std::hash<std::u16string_view>()(key.Name) ^
                   (static_cast<std::size_t>(static_cast<std::uint32_t>(key.Type)) * 0x9E3779B97F4A7C15ull);
        }
    };

    // False when there was no memory for it (nothing is then kept).
    bool BuildIndex() const noexcept;
    void DropIndex() const noexcept;

    std::deque<OptionRecord> records_;
    // By position of the registered option: the value of the first record
    // inserted for it. The number of records inserted without a position.
    std::vector<SavedValue> byRegistered_;
    std::size_t unplaced_ = 0;
    // How many of byRegistered_ differ, and whether all were compared since
    // the snapshot last changed.
    std::size_t differing_ = 0;
    bool compared_ = true;
    // The index: the position of the first record of each name and type,
    // and for each position whether it is that first record. Keys are views
    // of the records' names, which never move inside the deque.
    mutable std::unordered_map<Key, std::size_t, KeyHash> firstOf_;
    mutable std::vector<bool> isFirst_;
    mutable bool indexed_ = false;
};

} // namespace qorva_zel
