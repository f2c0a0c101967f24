#include "registry/option_table.h"

#include <new>
#include <utility>

namespace qorva_zel {

OptionTable::Named OptionTable::Find(std::u16string_view name) const noexcept
{
    const std::uint32_t last = index_.Find(name);
    if (last == kNone) {
        return {};
    }
    return {entries_[last].SameName, last};
}

std::optional<std::size_t> OptionTable::FindOfType(std::u16string_view name, std::int32_t type) const noexcept
{
    for (std::uint32_t position = index_.Find(name); position != kNone; position = entries_[position].Previous) {
        if (entries_[position].Record.Type == type) {
            return position;
        }
    }
    return std::nullopt;
}

OptionTable::Expected OptionTable::FindExpected(std::u16string_view name, std::int32_t type,
                                                std::size_t& next) const noexcept
{
    Expected result;
    if (next < entries_.size() && entries_[next].SameName == 1 && entries_[next].Record.Name == name) {
        // The only option of that name.
        result.Name = {1, next};
        if (entries_[next].Record.Type == type) {
            result.Typed = next;
        }
        ++next;
        return result;
    }
    const std::uint32_t last = index_.Find(name);
    if (last == kNone) {
        return result;
    }
    result.Name = {entries_[last].SameName, last};
    result.Typed = FindOfType(name, type);
    next = result.Typed.value_or(last) + 1;
    return result;
}

void OptionTable::Append(OptionRecord record)
{
    const std::size_t position = entries_.size();
    if (position >= kNone) {
        throw std::bad_alloc();
    }
    // Everything that allocates comes first; once the entry is in, nothing
    // below throws.
    index_.Reserve(position + 1);
    entries_.emplace_back();
    Entry& entry = entries_.back();
    entry.Record = std::move(record);

    const std::uint32_t earlier = index_.Find(entry.Record.Name);
    if (earlier != kNone) {
        // The name is taken: every option of it learns of one more.
        entry.Previous = earlier;
        entry.SameName = entries_[earlier].SameName + 1;
        for (std::uint32_t at = earlier; at != kNone; at = entries_[at].Previous) {
            entries_[at].SameName = entry.SameName;
        }
    }
    index_.Assign(entry.Record.Name, static_cast<std::uint32_t>(position));
    ++differing_; // no saved value yet
}

void OptionTable::Clear() noexcept
{
    index_.Clear();
    entries_.clear();
    differing_ = 0;
}

void OptionTable::Compare(Entry& entry) noexcept
{
    const bool differs = !entry.Saved.Present || !SameValue(entry.Record, entry.Saved);
    if (differs != entry.Differs) {
        entry.Differs = differs;
        differing_ = differs ? differing_ + 1 : differing_ - 1;
    }
}

void OptionTable::Store(PreparedValue& value) noexcept
{
    Entry& entry = entries_[value.Position];
    if (entry.Record.Type == QORVA_ZEL_Enum) {
        entry.Record.StringValue.swap(value.StringValue);
    } else {
        CopyTypedValue(entry.Record.Type, value.Value, entry.Record.Value);
    }
    Compare(entry);
}

void OptionTable::Store(std::size_t position, const ValueView& value)
{
    Entry& entry = entries_[position];
    if (entry.Record.Type == QORVA_ZEL_Enum) {
        std::u16string& string = entry.Record.StringValue;
        if (value.String.size() <= string.capacity()) {
            string.assign(value.String); // in place: cannot throw
        } else {
            std::u16string copy(value.String);
            string.swap(copy);
        }
    } else {
        CopyTypedValue(entry.Record.Type, value.Value, entry.Record.Value);
    }
    Compare(entry);
}

void OptionTable::StoreSaved(std::size_t position, SavedValue& value) noexcept
{
    Entry& entry = entries_[position];
    entry.Saved.Value = value.Value;
    entry.Saved.String.swap(value.String);
    entry.Saved.Present = value.Present;
    Compare(entry);
}

OptionTable::PendingSave OptionTable::PrepareSave() const
{
    PendingSave pending;
    for (std::size_t position = 0; position < entries_.size(); ++position) {
        const OptionRecord& record = entries_[position].Record;
        if (record.Type == QORVA_ZEL_Enum && entries_[position].Saved.String != record.StringValue) {
            pending.strings_.emplace_back(position, record.StringValue);
        }
    }
    return pending;
}

void OptionTable::CommitSave(PendingSave& pending) noexcept
{
    auto string = pending.strings_.begin();
    for (std::size_t position = 0; position < entries_.size(); ++position) {
        Entry& entry = entries_[position];
        CopyTypedValue(entry.Record.Type, entry.Record.Value, entry.Saved.Value);
        if (string != pending.strings_.end() && string->first == position) {
            entry.Saved.String.swap(string->second);
            ++string;
        }
        entry.Saved.Present = true;
        Compare(entry);
    }
}

void OptionTable::ForgetSaved() noexcept
{
    for (Entry& entry : entries_) {
        entry.Saved.Present = false;
        Compare(entry);
    }
}

} // namespace qorva_zel
