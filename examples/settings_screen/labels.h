// labels.h - the screen's English string table: the schema's label keys
// (and the menu's own words) to the text the player reads. A shipped game
// reads these from its localisation files.
#ifndef SETTINGS_SCREEN_LABELS_H
#define SETTINGS_SCREEN_LABELS_H

#include <string_view>

// The text of a key; the key itself when the table has none, so that a
// missing entry shows up in the menu instead of an empty label.
std::string_view Label(std::string_view key);

#endif
