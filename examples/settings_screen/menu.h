// menu.h - draws the settings menu with Dear ImGui, generated from the kit's
// listing: a tab per category, a widget per option type, the preset combo,
// the display modes, Apply/Revert, the confirm dialog and the banners.
#ifndef SETTINGS_SCREEN_MENU_H
#define SETTINGS_SCREEN_MENU_H

#include "pending_changes.h"

#include <string>
#include <vector>

// What the menu shows besides the options, and what it is asked to do.
struct MenuView {
    std::vector<std::string> banner; // the load report, the first run's preset
    std::string status;              // the outcome of the last apply or refused edit
    std::string select_tab;          // a category to bring to the front (its name or label)
};

// Draws one frame of the menu over the whole window.
void DrawSettingsMenu(PendingChanges& changes, MenuView& view);

// Applies the edits and says how it went in view.status (Apply's button).
void ApplyAndTell(PendingChanges& changes, MenuView& view);

#endif
