// script.h - the scripted mode: actions from a file, one a line, played one
// frame after another, as a player would use the menu.
//
//   # a comment
//   select tab Quality          bring a tab to the front (category name or label)
//   set Shadows High            edit an option (the value as text; Enum strings may have spaces)
//   set Resolution 1920x1080@60 choose a display mode (the rate also as 60000/1001)
//   preset High                 choose a preset
//   apply | revert              the menu's buttons
//   confirm | go-back           the confirm dialog's buttons
//   expect Shadows High         fail unless the option (or "preset", or "Resolution") shows that
//   wait-frames 3               draw frames
//   wait-seconds 16             let that much time pass (the clock of the scripted mode is virtual)
//   screenshot menu.png         write the window as a PNG
#ifndef SETTINGS_SCREEN_SCRIPT_H
#define SETTINGS_SCREEN_SCRIPT_H

#include "menu.h"

#include <string>
#include <vector>

class ScriptPlayer {
public:
    enum class State { running, done, failed };

    // Reads the script; false (and why in *error) when it cannot be read or
    // has an unknown action.
    bool Load(const std::string& path, std::string* error);

    // Plays the actions due in this frame. *screenshot gets a file name when
    // the frame that is about to be drawn should be written.
    State Step(PendingChanges& changes, MenuView& view, double* skipped_seconds, std::string* screenshot);

    // Why the script failed: "script.txt:4: ...".
    const std::string& error() const { return error_; }

private:
    struct Action {
        int line = 0;
        std::string verb;
        std::string subject; // the second word
        std::string rest;    // the words after it
    };
    bool Fail(const Action& action, const std::string& why);
    bool Play(const Action& action, PendingChanges& changes, MenuView& view, double* skipped_seconds);

    std::string path_;
    std::vector<Action> actions_;
    std::size_t next_ = 0;
    int frames_to_wait_ = 0;
    std::string screenshot_due_; // taken when frames_to_wait_ has run out
    std::string error_;
};

#endif
