#include "registry/saved_options.h"

#include <new>
#include <utility>

namespace qorva_zel {

bool SameValue(const OptionRecord& current, const SavedValue& saved) noexcept
{
    switch (current.Type) {
    case QORVA_ZEL_Integer:
        return current.Value.IntValue == saved.Value.IntValue;
    case QORVA_ZEL_Float:
        return current.Value.FloatValue == saved.Value.FloatValue;
    case QORVA_ZEL_Enum:
        return current.StringValue == *saved.String;
    case QORVA_ZEL_Bool:
        return current.Value.BoolValue == saved.Value.BoolValue;
    default:
        return true;
    }
}

void SavedOptions::Clear() noexcept
{
    DropIndex();
    records_.clear();
    byRegistered_.clear();
    unplaced_ = 0;
    differing_ = 0;
    compared_ = true;
}

void SavedOptions::Insert(OptionRecord record)
{
    records_.push_back(std::move(record));
    ++unplaced_;
    compared_ = false;
    DropIndex();
}

void SavedOptions::PlaceFor(std::size_t registeredCount)
{
    if (registeredCount > byRegistered_.size()) {
        byRegistered_.resize(registeredCount);
        compared_ = false;
    }
}

void SavedOptions::InsertFor(OptionRecord record, std::size_t registeredAt)
{
    if (registeredAt >= byRegistered_.size()) {
        byRegistered_.resize(registeredAt + 1);
    }
    records_.push_back(std::move(record));
    compared_ = false;
    SavedValue& saved = byRegistered_[registeredAt];
    if (!saved.Present) {
        // The first record for an option counts; the deque keeps it in place.
        const OptionRecord& stored = records_.back();
        saved.Value = stored.Value;
        saved.String = &stored.StringValue;
        saved.Present = true;
    }
    DropIndex();
}

void SavedOptions::Compare(std::size_t registeredAt, const OptionRecord& current) noexcept
{
    if (registeredAt >= byRegistered_.size()) {
        return;
    }
    SavedValue& saved = byRegistered_[registeredAt];
    const bool differs = !saved.Present || !SameValue(current, saved);
    if (differs != saved.Differs) {
        saved.Differs = differs;
        differing_ = differs ? differing_ + 1 : differing_ - 1;
    }
}

void SavedOptions::DropIndex() const noexcept
{
    if (indexed_ || !firstOf_.empty() || !isFirst_.empty()) {
        firstOf_.clear();
        isFirst_.clear();
    }
    indexed_ = false;
}

bool SavedOptions::BuildIndex() const noexcept
{
    try {
        firstOf_.reserve(records_.size());
        isFirst_.assign(records_.size(), false);
        std::size_t position = 0;
        for (const OptionRecord& record : records_) {
            if (firstOf_.try_emplace(Key{record.Name, record.Type}, position).second) {
                isFirst_[position] = true;
            }
            ++position;
        }
    } catch (const std::bad_alloc&) {
        DropIndex();
        return false;
    }
    indexed_ = true;
    return true;
}

const OptionRecord* SavedOptions::FindOfType(std::u16string_view name, std::int32_t type,
                                             std::size_t& next) const noexcept
{
    if (!indexed_ && !BuildIndex()) {
        for (const OptionRecord& record : records_) {
            if (record.Type == type && record.Name == name) {
                return &record;
            }
        }
        return nullptr;
    }
    if (next < records_.size() && isFirst_[next] && records_[next].Type == type && records_[next].Name == name) {
        return &records_[next++];
    }
    const auto found = firstOf_.find(Key{name, type});
    if (found == firstOf_.end()) {
        return nullptr;
    }
    next = found->second + 1;
    return &records_[found->second];
}

void SavedOptions::Swap(SavedOptions& other) noexcept
{
    records_.swap(other.records_);
    byRegistered_.swap(other.byRegistered_);
    std::swap(unplaced_, other.unplaced_);
    std::swap(differing_, other.differing_);
    std::swap(compared_, other.compared_);
    firstOf_.swap(other.firstOf_);
    isFirst_.swap(other.isFirst_);
    std::swap(indexed_, other.indexed_);
}

} // namespace qorva_zel
