// pending_changes.cpp - edits, apply, revert and the provisional display mode.
#include "pending_changes.h"

#include <cstdio>

std::string ModeText(const kit::display_mode& mode)
{
    const double rate = mode.RefreshDenominator > 0
                            ? static_cast<double>(mode.RefreshNumerator) / mode.RefreshDenominator
                            : static_cast<double>(mode.RefreshRate);
    char text[64];
    std::snprintf(text, sizeof text, "%u x %u @ %.5g Hz", static_cast<unsigned>(mode.Width),
                  static_cast<unsigned>(mode.Height), rate);
    return text;
}

PendingChanges::PendingChanges(kit::session& settings)
    : settings_(settings), events_(kit::subscribe([this](const kit::event& event) {
          if (event.kind == QORVA_ZEL_KIT_EVENT_REVERT && event.expired) {
              mode_put_back_ = true;
          }
      }))
{
    Relist();
}

void PendingChanges::Relist()
{
    listing_ = settings_.list(kit::order::category);
    mode_ = settings_.get_mode().value_or(kit::mode_info{});
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

kit::status PendingChanges::ChooseMode(const kit::display_mode& mode)
{
    // Choosing the mode in use again is no edit. (No value edits wait in
    // the kit: they are made at once.)
    const kit::status status =
        kit::modes_match(mode, mode_.current) ? settings_.revert_pending() : settings_.set_pending_mode(mode);
    Relist();
    return status;
}

bool PendingChanges::Edited(std::string_view name) const
{
    const auto before = applied_.find(name);
    const std::optional<kit::option_view> now = listing_.find(name);
    return before != applied_.end() && now && now->current() != before->second;
}

bool PendingChanges::HasEdits() const
{
    if (ModeChosen()) {
        return true;
    }
    for (const auto& entry : applied_) {
        if (Edited(entry.first)) {
            return true;
        }
    }
    return false;
}

PendingChanges::Outcome PendingChanges::Apply()
{
    Outcome outcome;
    for (const kit::option_view option : listing_) {
        if (option.restart_required() && Edited(option.name())) {
            outcome.restart_label_keys.emplace_back(option.label_key());
        }
    }
    outcome.status = settings_.save();
    if (outcome.status == QORVA_ZEL_OK) {
        applied_.clear();
        if (ModeChosen()) {
            // The kit's apply makes the mode current until the deadline; a
            // save in between writes the mode before it.
            const kit::apply_result applied = settings_.apply(kConfirmWithin);
            outcome.status = applied.code;
            outcome.awaiting_confirm = applied.provisional;
            // The game switches its window or monitor to the new mode here
            // (and back on a REVERT event).
        }
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
    settings_.revert_pending();
    Relist();
}

double PendingChanges::SecondsLeft()
{
    const std::optional<std::chrono::milliseconds> left = settings_.poll();
    return left ? static_cast<double>(left->count()) / 1000.0 : 0.0;
}

kit::status PendingChanges::Confirm()
{
    kit::status status = settings_.confirm();
    if (status == QORVA_ZEL_OK) {
        status = settings_.save();
    }
    Relist();
    return status;
}

void PendingChanges::RevertMode()
{
    settings_.revert_provisional();
    Relist();
}

bool PendingChanges::Poll()
{
    settings_.poll();
    Relist();
    const bool put_back = mode_put_back_;
    mode_put_back_ = false;
    return put_back;
}
