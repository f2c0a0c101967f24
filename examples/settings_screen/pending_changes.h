// pending_changes.h - what the menu edits between two applies.
//
// The player's edits go to the kit at once, so that the listing (and with it
// the preset combo's "Custom") shows them; the values at the last apply are
// remembered on the first edit, Revert puts them back, and Apply saves. A new
// display mode is applied provisionally: it is kept only when the player
// confirms it before a deadline, and put back otherwise. The clock is the
// caller's (seconds on any monotonic scale).
#ifndef SETTINGS_SCREEN_PENDING_CHANGES_H
#define SETTINGS_SCREEN_PENDING_CHANGES_H

#include "qorva_zel_kit.hpp"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kit = qorva_zel::kit;

// A display mode's name as the menu writes it: "1920 x 1080 @ 60 Hz".
std::string ModeText(const QORVA_ZEL_Resolution& mode);
bool SameMode(const QORVA_ZEL_Resolution& a, const QORVA_ZEL_Resolution& b);

class PendingChanges {
public:
    // How long the player has to confirm a new display mode.
    static constexpr double kConfirmSeconds = 15.0;

    PendingChanges(kit::session& settings, std::vector<QORVA_ZEL_Resolution> modes);

    // A snapshot of the options as they are now (edits included).
    const kit::listing& listing() const { return listing_; }
    const std::vector<QORVA_ZEL_Resolution>& modes() const { return modes_; }

    kit::status Edit(std::string_view name, const kit::value& wanted);
    kit::status ChoosePreset(std::string_view preset);
    void ChooseMode(const QORVA_ZEL_Resolution& mode);
    // The mode the menu shows: the one chosen, else the one in use.
    QORVA_ZEL_Resolution ShownMode() const { return chosen_mode_.value_or(mode_in_use_); }

    bool HasEdits() const;
    bool Edited(std::string_view name) const;

    struct Outcome {
        kit::status status = QORVA_ZEL_OK;
        std::vector<std::string> restart_label_keys; // applied options that need a restart
        bool awaiting_confirm = false;               // a new display mode waits for Confirm
    };
    // Saves the edited values and puts a chosen display mode in use
    // provisionally (until now + kConfirmSeconds).
    Outcome Apply(double now);
    // Puts the values of the last apply back and drops a chosen mode.
    void Revert();

    bool AwaitingConfirm() const { return previous_mode_.has_value(); }
    double SecondsLeft(double now) const { return AwaitingConfirm() ? deadline_ - now : 0.0; }
    // Keeps the provisional mode (and saves it).
    kit::status Confirm();
    // Puts the previous mode back now.
    void RevertMode();
    // Puts the previous mode back when the deadline has passed; true then.
    bool Poll(double now);

private:
    void RememberValues();
    void Relist();

    kit::session& settings_;
    std::vector<QORVA_ZEL_Resolution> modes_;
    kit::listing listing_;
    std::map<std::string, kit::value, std::less<>> applied_; // the values of the last apply; empty: no edits
    std::optional<QORVA_ZEL_Resolution> chosen_mode_;
    QORVA_ZEL_Resolution mode_in_use_{};
    std::optional<QORVA_ZEL_Resolution> previous_mode_;
    double deadline_ = 0.0;
};

#endif
