// pending_changes.cpp - edits, apply, revert and the provisional display mode.
#include "pending_changes.h"

#include <cmath>
#include <cstdio>
#include <utility>

std::string ModeText(const QORVA_ZEL_Resolution& mode)
{
    char text[64];
    std::snprintf(text, sizeof text, "%u x %u @ %g Hz", static_cast<unsigned>(mode.Width),
                  static_cast<unsigned>(mode.Height), static_cast<double>(mode.RefreshRate));
    return text;
}

bool SameMode(const QORVA_ZEL_Resolution& a, const QORVA_ZEL_Resolution& b)
{
    return a.Width == b.Width && a.Height == b.Height && std::fabs(a.RefreshRate - b.RefreshRate) < 0.01f;
}

PendingChanges::PendingChanges(kit::session& settings, std::vector<QORVA_ZEL_Resolution> modes)
    : settings_(settings), modes_(std::move(modes))
{
    QORVA_ZEL_GetResolution(&mode_in_use_);
    Relist();
}

void PendingChanges::Relist()
{
    listing_ = settings_.list(kit::order::category);
}

void PendingChanges::RememberValues()
{
    if (!applied_.empty()) {
        return;
    }
    for (const kit::option_view option : listing_) {
        applied_.emplace(std::string(option.name()), option.current());
    }
}

kit::status PendingChanges::Edit(std::string_view name, const kit::value& wanted)
{
    RememberValues();
    const kit::status status = settings_.set(name, wanted);
    Relist();
    return status;
}

kit::status PendingChanges::ChoosePreset(std::string_view preset)
{
    RememberValues();
    const kit::status status = settings_.apply_preset(preset);
    Relist();
    return status;
}

void PendingChanges::ChooseMode(const QORVA_ZEL_Resolution& mode)
{
    if (SameMode(mode, mode_in_use_)) {
        chosen_mode_.reset();
    } else {
        chosen_mode_ = mode;
    }
}

bool PendingChanges::Edited(std::string_view name) const
{
    const auto before = applied_.find(name);
    const std::optional<kit::option_view> now = listing_.find(name);
    return before != applied_.end() && now && now->current() != before->second;
}

bool PendingChanges::HasEdits() const
{
    if (chosen_mode_) {
        return true;
    }
    for (const auto& entry : applied_) {
        if (Edited(entry.first)) {
            return true;
        }
    }
    return false;
}

PendingChanges::Outcome PendingChanges::Apply(double now)
{
    Outcome outcome;
    for (const kit::option_view option : listing_) {
        if (option.restart_required() && Edited(option.name())) {
            outcome.restart_label_keys.emplace_back(option.label_key());
        }
    }
    // The file gets the values with the mode still in use: a provisional
    // mode is saved only when the player confirms it.
    outcome.status = settings_.save();
    if (outcome.status != QORVA_ZEL_OK) {
        return outcome;
    }
    applied_.clear();
    if (chosen_mode_) {
        const kit::status status = QORVA_ZEL_SetResolution(&*chosen_mode_);
        if (status != QORVA_ZEL_OK) {
            outcome.status = status;
            chosen_mode_.reset();
            return outcome;
        }
        // The game switches its window or monitor to *chosen_mode_ here.
        previous_mode_ = mode_in_use_;
        mode_in_use_ = *chosen_mode_;
        chosen_mode_.reset();
        deadline_ = now + kConfirmSeconds;
        outcome.awaiting_confirm = true;
    }
    Relist();
    return outcome;
}

void PendingChanges::Revert()
{
    for (const auto& [name, value] : applied_) {
        if (Edited(name)) {
            settings_.set(name, value);
        }
    }
    applied_.clear();
    chosen_mode_.reset();
    Relist();
}

kit::status PendingChanges::Confirm()
{
    previous_mode_.reset();
    const kit::status status = settings_.save();
    Relist();
    return status;
}

void PendingChanges::RevertMode()
{
    if (!previous_mode_) {
        return;
    }
    QORVA_ZEL_SetResolution(&*previous_mode_);
    // The game switches back to *previous_mode_ here.
    mode_in_use_ = *previous_mode_;
    previous_mode_.reset();
    Relist();
}

bool PendingChanges::Poll(double now)
{
    if (!previous_mode_ || now < deadline_) {
        return false;
    }
    RevertMode();
    return true;
}
