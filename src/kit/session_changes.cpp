// The session's changes while the game runs: events, pending edits with
// apply / confirm / revert, overrides that are never saved, display modes.
#include "kit/session.h"

#include "kit/command_line.h"
#include "registry/validate.h"
#include "text/utf.h"

#include <algorithm>
#include <cstddef>

namespace qorva_zel::kit {
namespace {

const QORVA_ZEL_Char* Units(const std::u16string& text)
{
    return reinterpret_cast<const QORVA_ZEL_Char*>(text.c_str());
}

} // namespace

void Session::Raise(std::int32_t kind, std::string name)
{
    KitEvent event;
    event.Kind = event.Cause = kind;
    event.Name = std::move(name);
    events_.push_back(std::move(event));
}

QORVA_ZEL_Status Session::StoreValue(std::size_t index, const KitValue& value)
{
    std::u16string storage;
    const QORVA_ZEL_Variant variant = ToVariant(value, storage);
    return QORVA_ZEL_SetOptionValue(&variant, Units(states_[index].Name));
}

KitValue Session::PlayerValue(std::size_t index) const
{
    if (provisional_) {
        for (const ProvisionalChange::Before& before : provisional_->Options) {
            if (before.Index == index) {
                return before.Override ? before.Player : before.Value;
            }
        }
    }
    const OptionState& state = states_[index];
    return state.Override ? state.Player : CurrentValue(index);
}

QORVA_ZEL_Resolution Session::CurrentMode() const
{
    QORVA_ZEL_Resolution mode{};
    QORVA_ZEL_GetResolution(&mode);
    return mode;
}

QORVA_ZEL_Resolution Session::PlayerMode() const
{
    if (provisional_ && provisional_->Mode) {
        return provisional_->ModeOverride ? provisional_->PlayerMode : *provisional_->Mode;
    }
    return modeOverride_ ? playerMode_ : CurrentMode();
}

DisplayMode Session::Described(const QORVA_ZEL_Resolution& mode) const
{
    const DisplayMode described = FromResolution(mode);
    const std::optional<std::size_t> listed = ListedMatch(described);
    return listed ? listed_[*listed] : described;
}

std::optional<std::size_t> Session::ListedMatch(const DisplayMode& mode) const
{
    return MatchingMode(listed_, mode);
}

QORVA_ZEL_Status Session::ForceMode(const QORVA_ZEL_Resolution& mode)
{
    if (modes_.empty()) {
        return QORVA_ZEL_SetResolution(&mode);
    }
    // An empty list takes any mode; the game's list is put back at once.
    const QORVA_ZEL_Resolution none{};
    QORVA_ZEL_Status status = QORVA_ZEL_RegisterResolutions(&none, 0);
    if (status == QORVA_ZEL_OK) {
        status = QORVA_ZEL_SetResolution(&mode);
        const QORVA_ZEL_Status listed =
            QORVA_ZEL_RegisterResolutions(modes_.data(), static_cast<std::uint32_t>(modes_.size()));
        status = status != QORVA_ZEL_OK ? status : listed;
    }
    return status;
}

QORVA_ZEL_Status Session::ChangeMode(const QORVA_ZEL_Resolution& mode, std::int32_t cause)
{
    const QORVA_ZEL_Resolution before = CurrentMode();
    const QORVA_ZEL_Status status = ForceMode(mode);
    if (status == QORVA_ZEL_OK) {
        RaiseModeChange(before, mode, cause);
    }
    return status;
}

// ---- Display modes -------------------------------------------------------------

void Session::GetMode(QORVA_ZEL_KIT_ModeInfo& info) const
{
    const QORVA_ZEL_Resolution current = CurrentMode();
    info.Current = Described(current);
    info.Player = Described(PlayerMode());
    info.Pending = pendingMode_ ? *pendingMode_ : DisplayMode{};
    info.Flags = (pendingMode_ ? std::uint32_t{QORVA_ZEL_KIT_OPTION_PENDING} : 0u) |
                 (modeOverride_ ? std::uint32_t{QORVA_ZEL_KIT_OPTION_OVERRIDDEN} : 0u) |
                 (provisional_ && provisional_->Mode ? std::uint32_t{QORVA_ZEL_KIT_OPTION_PROVISIONAL} : 0u) |
                 (!savedMode_ || !SameResolution(*savedMode_, PlayerMode()) ? std::uint32_t{QORVA_ZEL_KIT_OPTION_UNSAVED}
                                                                            : 0u);
    info.Modes = listed_.data();
    info.ModeCount = static_cast<std::uint32_t>(listed_.size());
}

QORVA_ZEL_Status Session::SetMode(const DisplayMode& mode)
{
    QORVA_ZEL_Resolution wanted{};
    if (const QORVA_ZEL_Status listed = ListedResolution(mode, wanted); listed != QORVA_ZEL_OK) {
        return listed;
    }
    const QORVA_ZEL_Status status = ChangeMode(wanted, QORVA_ZEL_KIT_EVENT_SET);
    if (status == QORVA_ZEL_OK) {
        modeOverride_.reset(); // the player chose a mode
    }
    return status;
}

QORVA_ZEL_Status Session::ListedResolution(const DisplayMode& mode, QORVA_ZEL_Resolution& wanted) const
{
    if (modes_.empty()) {
        wanted = ToResolution(mode);
        return QORVA_ZEL_OK;
    }
    const std::optional<std::size_t> listed = ListedMatch(mode);
    if (!listed) {
        return QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED;
    }
    wanted = modes_[*listed];
    return QORVA_ZEL_OK;
}

void Session::RaiseModeChange(const QORVA_ZEL_Resolution& before, const QORVA_ZEL_Resolution& after, std::int32_t cause)
{
    if (SameResolution(before, after)) {
        return;
    }
    KitEvent event;
    event.Kind = QORVA_ZEL_KIT_EVENT_MODE;
    event.Cause = cause;
    event.OldMode = Described(before);
    event.NewMode = Described(after);
    events_.push_back(std::move(event));
}

QORVA_ZEL_Status Session::Closest(const DisplayMode& wanted, DisplayMode& closest) const
{
    const std::optional<std::size_t> found = ClosestMode(listed_, wanted);
    if (!found) {
        return QORVA_ZEL_KIT_ERROR_NOT_FOUND;
    }
    closest = listed_[*found];
    return QORVA_ZEL_OK;
}

// ---- Pending edits, apply, confirm, revert ------------------------------------

QORVA_ZEL_Status Session::SetPending(std::string_view name, const KitValue& value)
{
    std::size_t index = 0;
    if (const QORVA_ZEL_Status status = SettableIndex(name, value, index); status != QORVA_ZEL_OK) {
        return status;
    }
    states_[index].Pending = value;
    return QORVA_ZEL_OK;
}

QORVA_ZEL_Status Session::SetPendingMode(const DisplayMode& mode)
{
    pendingMode_ = mode;
    return QORVA_ZEL_OK;
}

QORVA_ZEL_Status Session::RevertPending()
{
    for (OptionState& state : states_) {
        state.Pending.reset();
    }
    pendingMode_.reset();
    return QORVA_ZEL_OK;
}

QORVA_ZEL_Status Session::Apply(std::uint64_t now, std::uint32_t confirmWithinMs, ApplyResultObject& result)
{
    if (provisional_) {
        return QORVA_ZEL_KIT_ERROR_PROVISIONAL;
    }
    // Every edit checked first, each refusal named; then all or none.
    std::vector<std::pair<std::size_t, KitValue>> changes;
    for (std::size_t i = 0; i < states_.size(); ++i) {
        const OptionState& state = states_[i];
        if (!state.Pending) {
            continue;
        }
        std::u16string storage;
        const QORVA_ZEL_Status status =
            ValidateOptionValue(MakeRecord(schema_.Options[i], state.Default), ViewOf(ToVariant(*state.Pending, storage)));
        if (status != QORVA_ZEL_OK) {
            result.RefusalList.push_back({result.Keep(schema_.Options[i].Name), status});
        }
        changes.emplace_back(i, *state.Pending);
    }
    std::optional<QORVA_ZEL_Resolution> mode;
    if (pendingMode_) {
        mode = ToResolution(*pendingMode_);
        if (!modes_.empty()) {
            const std::optional<std::size_t> listed = ListedMatch(*pendingMode_);
            if (listed) {
                mode = modes_[*listed];
            } else {
                result.RefusalList.push_back({result.Keep(""), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED});
            }
        }
    }
    if (!result.RefusalList.empty()) {
        result.Publish();
        return QORVA_ZEL_KIT_ERROR_APPLY_REFUSED;
    }

    // What a revert would put back: the options flagged "confirm" and the mode.
    ProvisionalChange before;
    before.Deadline = now + confirmWithinMs;
    for (const auto& [index, value] : changes) {
        const OptionState& state = states_[index];
        KitValue current = CurrentValue(index);
        if (schema_.Options[index].Confirm && !SameValue(current, value)) {
            before.Options.push_back({index, std::move(current), state.Override, state.Player});
        }
    }
    const QORVA_ZEL_Resolution currentMode = CurrentMode();
    const bool modeChanges = mode && !SameResolution(*mode, currentMode);
    if (modeChanges) {
        before.Mode = currentMode;
        before.ModeOverride = modeOverride_;
        before.PlayerMode = playerMode_;
    }

    std::vector<std::size_t> changed;
    QORVA_ZEL_Status status = SetMany(changes, QORVA_ZEL_KIT_EVENT_APPLY, &changed);
    if (status != QORVA_ZEL_OK) {
        return status; // refused by the library after all: SetMany put everything back
    }
    if (mode) {
        status = ChangeMode(*mode, QORVA_ZEL_KIT_EVENT_APPLY);
        if (status != QORVA_ZEL_OK) {
            return status; // the options stand; the mode edit stays pending
        }
        modeOverride_.reset();
    }
    RevertPending();
    for (std::size_t index : changed) {
        const char* name = result.Keep(schema_.Options[index].Name);
        result.ChangedList.push_back(name);
        if (schema_.Options[index].RestartRequired) {
            result.RestartList.push_back(name);
        }
    }
    result.ModeChanged = modeChanges ? 1 : 0;
    if (confirmWithinMs > 0 && (modeChanges || !before.Options.empty())) {
        provisional_ = std::move(before);
        result.Provisional = 1;
        result.Deadline = provisional_->Deadline;
    }
    result.Publish();
    KitEvent event;
    event.Kind = event.Cause = QORVA_ZEL_KIT_EVENT_APPLY;
    event.Provisional = provisional_.has_value();
    events_.push_back(std::move(event));
    return QORVA_ZEL_OK;
}

QORVA_ZEL_Status Session::PutBack(bool expired)
{
    ProvisionalChange before = std::move(*provisional_);
    provisional_.reset();
    QORVA_ZEL_Status status = QORVA_ZEL_OK;
    for (const ProvisionalChange::Before& option : before.Options) {
        OptionState& state = states_[option.Index];
        KitValue now = CurrentValue(option.Index);
        const QORVA_ZEL_Status stored = StoreValue(option.Index, option.Value);
        status = status != QORVA_ZEL_OK ? status : stored;
        state.Override = option.Override;
        state.Player = option.Player;
        if (stored == QORVA_ZEL_OK && !SameValue(now, option.Value)) {
            KitEvent event;
            event.Kind = QORVA_ZEL_KIT_EVENT_VALUE;
            event.Cause = QORVA_ZEL_KIT_EVENT_REVERT;
            event.Name = schema_.Options[option.Index].Name;
            event.Old = std::move(now);
            event.New = option.Value;
            events_.push_back(std::move(event));
        }
    }
    if (before.Mode) {
        const QORVA_ZEL_Status moved = ChangeMode(*before.Mode, QORVA_ZEL_KIT_EVENT_REVERT);
        status = status != QORVA_ZEL_OK ? status : moved;
        modeOverride_ = before.ModeOverride;
        playerMode_ = before.PlayerMode;
    }
    KitEvent event;
    event.Kind = event.Cause = QORVA_ZEL_KIT_EVENT_REVERT;
    event.Expired = expired;
    events_.push_back(std::move(event));
    return status;
}

void Session::CheckDeadline(std::uint64_t now)
{
    if (provisional_ && now >= provisional_->Deadline) {
        PutBack(true);
        expired_ = true;
    }
}

QORVA_ZEL_Status Session::Confirm()
{
    if (!provisional_) {
        const bool expired = std::exchange(expired_, false);
        return expired ? QORVA_ZEL_KIT_ERROR_EXPIRED : QORVA_ZEL_KIT_ERROR_NOT_PROVISIONAL;
    }
    provisional_.reset();
    expired_ = false;
    Raise(QORVA_ZEL_KIT_EVENT_CONFIRM);
    return QORVA_ZEL_OK;
}

QORVA_ZEL_Status Session::RevertProvisional()
{
    if (!provisional_) {
        return QORVA_ZEL_KIT_ERROR_NOT_PROVISIONAL;
    }
    expired_ = false;
    return PutBack(false);
}

void Session::Poll(std::uint64_t now, bool& provisional, std::uint64_t& remaining) const
{
    provisional = provisional_.has_value();
    remaining = provisional_ && provisional_->Deadline > now ? provisional_->Deadline - now : 0;
}

// ---- Overrides ---------------------------------------------------------------------

QORVA_ZEL_Status Session::SetOverride(std::string_view name, const KitValue& value)
{
    const std::optional<std::size_t> index = schema_.IndexOf(name);
    if (!index) {
        return QORVA_ZEL_ERROR_OPTION_NOT_FOUND;
    }
    OptionState& state = states_[*index];
    if (!state.Available) {
        return QORVA_ZEL_KIT_ERROR_UNAVAILABLE;
    }
    std::u16string storage;
    QORVA_ZEL_Status status = ValidateOptionValue(MakeRecord(schema_.Options[*index], state.Default), ViewOf(ToVariant(value, storage)));
    if (status != QORVA_ZEL_OK) {
        return status;
    }
    KitValue before = CurrentValue(*index);
    status = StoreValue(*index, value);
    if (status != QORVA_ZEL_OK) {
        return status;
    }
    if (!state.Override) {
        state.Player = before;
    }
    state.Override = value;
    if (!SameValue(before, value)) {
        KitEvent event;
        event.Kind = QORVA_ZEL_KIT_EVENT_VALUE;
        event.Cause = QORVA_ZEL_KIT_EVENT_OVERRIDE;
        event.Name = schema_.Options[*index].Name;
        event.Old = std::move(before);
        event.New = value;
        events_.push_back(std::move(event));
    }
    Raise(QORVA_ZEL_KIT_EVENT_OVERRIDE);
    return QORVA_ZEL_OK;
}

QORVA_ZEL_Status Session::SetModeOverride(const DisplayMode& mode)
{
    QORVA_ZEL_Resolution wanted{};
    if (const QORVA_ZEL_Status listed = ListedResolution(mode, wanted); listed != QORVA_ZEL_OK) {
        return listed;
    }
    const QORVA_ZEL_Resolution before = CurrentMode();
    const QORVA_ZEL_Status status = ChangeMode(wanted, QORVA_ZEL_KIT_EVENT_OVERRIDE);
    if (status == QORVA_ZEL_OK) {
        if (!modeOverride_) {
            playerMode_ = before;
        }
        modeOverride_ = wanted;
        Raise(QORVA_ZEL_KIT_EVENT_OVERRIDE);
    }
    return status;
}

QORVA_ZEL_Status Session::ClearOverrides()
{
    QORVA_ZEL_Status status = QORVA_ZEL_OK;
    for (std::size_t i = 0; i < states_.size(); ++i) {
        OptionState& state = states_[i];
        if (!state.Override) {
            continue;
        }
        KitValue before = CurrentValue(i);
        const QORVA_ZEL_Status stored = StoreValue(i, state.Player);
        status = status != QORVA_ZEL_OK ? status : stored;
        state.Override.reset();
        if (stored == QORVA_ZEL_OK && !SameValue(before, state.Player)) {
            KitEvent event;
            event.Kind = QORVA_ZEL_KIT_EVENT_VALUE;
            event.Cause = QORVA_ZEL_KIT_EVENT_OVERRIDE;
            event.Name = schema_.Options[i].Name;
            event.Old = std::move(before);
            event.New = state.Player;
            events_.push_back(std::move(event));
        }
    }
    if (modeOverride_) {
        const QORVA_ZEL_Status moved = ChangeMode(playerMode_, QORVA_ZEL_KIT_EVENT_OVERRIDE);
        status = status != QORVA_ZEL_OK ? status : moved;
        modeOverride_.reset();
    }
    Raise(QORVA_ZEL_KIT_EVENT_OVERRIDE);
    return status;
}

QORVA_ZEL_Status Session::ApplyCommandLine(int argc, const char* const* argv, std::string& message)
{
    CommandLineOverrides wanted;
    QORVA_ZEL_Status status = ReadCommandLine(schema_, argc, argv, wanted, message);
    if (status != QORVA_ZEL_OK) {
        return status;
    }
    // Every override checked before any is set.
    for (const CommandLineOverrides::OptionOverride& option : wanted.Options) {
        const OptionState& state = states_[option.Index];
        std::u16string storage;
        status = state.Available ? ValidateOptionValue(MakeRecord(schema_.Options[option.Index], state.Default),
                                                       ViewOf(ToVariant(option.Value, storage)))
                                 : QORVA_ZEL_Status{QORVA_ZEL_KIT_ERROR_UNAVAILABLE};
        if (status != QORVA_ZEL_OK) {
            message = option.Argument + ": " + QORVA_ZEL_KIT_StatusText(status);
            return status;
        }
    }
    std::optional<DisplayMode> mode;
    if (wanted.Width || wanted.Height || wanted.Refresh) {
        DisplayMode combined = Described(CurrentMode());
        combined.Width = wanted.Width.value_or(combined.Width);
        combined.Height = wanted.Height.value_or(combined.Height);
        if (wanted.Refresh) {
            combined.RefreshNumerator = wanted.Refresh->RefreshNumerator;
            combined.RefreshDenominator = wanted.Refresh->RefreshDenominator;
            combined.RefreshRate = wanted.Refresh->RefreshRate;
        }
        if (!modes_.empty() && !ListedMatch(combined)) {
            message = wanted.ModeArgument + ": the display has no such mode";
            return QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED;
        }
        mode = combined;
    }
    const std::size_t first = events_.size();
    for (const CommandLineOverrides::OptionOverride& option : wanted.Options) {
        status = SetOverride(schema_.Options[option.Index].Name, option.Value);
        if (status != QORVA_ZEL_OK) {
            message = option.Argument + ": " + QORVA_ZEL_KIT_StatusText(status);
            return status;
        }
    }
    if (mode) {
        status = SetModeOverride(*mode);
    }
    // One OVERRIDE event for the whole command line, after its values.
    events_.erase(std::remove_if(events_.begin() + static_cast<std::ptrdiff_t>(first), events_.end(),
                                 [](const KitEvent& event) { return event.Kind == QORVA_ZEL_KIT_EVENT_OVERRIDE; }),
                  events_.end());
    if (status == QORVA_ZEL_OK && (!wanted.Options.empty() || mode)) {
        Raise(QORVA_ZEL_KIT_EVENT_OVERRIDE);
    }
    return status;
}

} // namespace qorva_zel::kit
