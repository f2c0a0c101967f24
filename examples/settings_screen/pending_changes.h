// pending_changes.h - what the menu edits between two applies.
//
// The player's edits of values go to the kit at once, so that the listing
// (and with it the preset combo's "Custom") shows them; the values at the
// last apply are remembered on the first edit, Revert puts them back, and
// Apply saves. A new display mode waits in the kit as a pending edit and is
// applied provisionally: the kit puts the previous mode back unless the
// player confirms before the deadline (on the kit's clock).
#ifndef SETTINGS_SCREEN_PENDING_CHANGES_H
#define SETTINGS_SCREEN_PENDING_CHANGES_H

#include "qorva_zel_kit.hpp"

#include <chrono>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kit = qorva_zel::kit;

// A display mode's name as the menu writes it: "1920 x 1080 @ 59.94 Hz".
std::string ModeText(const kit::display_mode& mode);

class PendingChanges {
public:
    // How long the player has to confirm a new display mode.
    static constexpr std::chrono::milliseconds kConfirmWithin{15000};

    explicit PendingChanges(kit::session& settings);

    // A snapshot of the options as they are now (edits included).
    const kit::listing& listing() const { return listing_; }
    const std::vector<kit::display_mode>& modes() const { return mode_.modes; }

    kit::status Edit(std::string_view name, const kit::value& wanted);
    kit::status ChoosePreset(std::string_view preset);
    kit::status ChooseMode(const kit::display_mode& mode);
    // The mode the menu shows: the one chosen, else the one in use.
    kit::display_mode ShownMode() const { return mode_.pending.value_or(mode_.current); }
    bool ModeChosen() const { return mode_.pending.has_value(); }

    bool HasEdits() const;
    bool Edited(std::string_view name) const;

    struct Outcome {
        kit::status status = QORVA_ZEL_OK;
        std::vector<std::string> restart_label_keys; // applied options that need a restart
        bool awaiting_confirm = false;               // a new display mode waits for Confirm
    };
    // Saves the edited values and puts a chosen display mode in use
    // provisionally.
    Outcome Apply();
    // Puts the values of the last apply back and drops a chosen mode.
    void Revert();

    bool AwaitingConfirm() const { return mode_.provisional; }
    // The seconds left to confirm (0 when nothing waits).
    double SecondsLeft();
    // Keeps the provisional mode (and saves it).
    kit::status Confirm();
    // Puts the previous mode back now.
    void RevertMode();
    // Lets the kit put the previous mode back when the deadline has passed;
    // true when it did since the last call.
    bool Poll();

private:
    void RememberValues();
    void Relist();

    kit::session& settings_;
    kit::listing listing_;
    kit::mode_info mode_;
    std::map<std::string, kit::value, std::less<>> applied_; // the values of the last apply; empty: no edits
    bool mode_put_back_ = false;                             // the kit said so in a REVERT event
    kit::subscription events_;
};

#endif
