// game_setup.h - what the game gives the kit when it opens it: the schema,
// its strings, the platform's tags, the facts it knows about the machine
// and the display modes.
#ifndef SETTINGS_SCREEN_GAME_SETUP_H
#define SETTINGS_SCREEN_GAME_SETUP_H

#include "qorva_zel_kit.hpp"

#include <string>
#include <vector>

namespace kit = qorva_zel::kit;

// The display modes a monitor stand-in offers in the scripted mode, so that
// scripts and screenshots do not depend on the display they run on.
std::vector<kit::display_mode> StandInModes();

// The stand-in's desktop mode.
kit::display_mode StandInDesktopMode();

// On a first run the mode is none of the display's, and when the display
// no longer has the saved mode the kit says so: the game then starts in
// the listed mode closest to its desktop mode, or to the saved one.
void StartInListedMode(kit::session& settings, const kit::display_mode& desktop);

// settings_dir empty: the platform's device-local folder. gl_vendor is
// OpenGL's GL_VENDOR string, for the fact gpuVendor.
kit::open_options GameOptions(const std::string& schema_path, const std::string& settings_dir,
                              const std::string& gl_vendor, std::vector<kit::display_mode> modes);

// The lines of the banner: the first run's preset and the load report.
std::vector<std::string> BannerLines(const kit::session& settings);

#endif
