// settings_menu.cpp - the settings menu of settings_menu.c, written with the
// C++ header qorva_zel.hpp.
//
//   settings_menu_cxx [CONFIG_DIR]
//
// Initialises the library with the settings file in CONFIG_DIR (default: the
// current directory), registers four options and three display resolutions,
// loads the settings file, shows the current values, tries good and bad
// values, moves every setting one step on, saves, and prints the file it
// wrote. Run it twice: the second run loads what the first one saved.
//
// Exits with 0 when every call returned the status the library documents.
#include "qorva_zel.hpp"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zel = qorva_zel;

namespace {

int g_unexpected = 0; // calls whose status was not the documented one

// Prints "<what> -> <status> <message>" and counts a status other than expected.
zel::status Report(const std::string& what, zel::status got, zel::status expected = zel::status::ok)
{
    std::printf("  %-48s -> %4d %s", what.c_str(), static_cast<int>(got), zel::status_text(got));
    if (got != expected) {
        std::printf("   UNEXPECTED, wanted %d", static_cast<int>(expected));
        ++g_unexpected;
    }
    std::printf("\n");
    return got;
}

const std::vector<std::string> kFilters = {"Bilinear", "Trilinear", "Anisotropic"};
const std::vector<zel::resolution> kModes = {{1280, 720, 60.0f}, {1920, 1080, 59.94f}, {2560, 1440, 144.0f}};
constexpr float kGammaMin = 0.5f;
constexpr float kGammaMax = 2.5f;
constexpr int kGammaSteps = 4;

struct Settings {
    zel::resolution mode;
    int shadows = 0;
    float gamma = 1.0f;
    std::size_t filter = 0;
    bool vsync = true;
};

void RegisterSettings(const zel::session& game)
{
    std::printf("Registering the settings\n");
    const zel::option shadows = zel::int_option("ShadowQuality", 2, 0, 4, 4);
    Report("register ShadowQuality (Integer 0..4, 4 steps)", game.add(shadows));
    Report("register ShadowQuality again", game.add(shadows), zel::status::already_registered);
    Report("register Gamma (Float 0.5..2.5, 4 steps)",
           game.add(zel::float_option("Gamma", 1.0f, kGammaMin, kGammaMax, kGammaSteps)));
    Report("register TextureFilter (Enum of 3)",
           game.add(zel::enum_option("TextureFilter", kFilters[1], {kFilters[0], kFilters[1], kFilters[2]})));
    Report("register VSync (Bool)", game.add(zel::bool_option("VSync", true)));
    Report("register 3 resolutions", game.set_resolutions(kModes));
}

std::size_t IndexOf(const std::string& filter)
{
    for (std::size_t i = 0; i < kFilters.size(); ++i) {
        if (kFilters[i] == filter) {
            return i;
        }
    }
    return 0;
}

Settings ShowSettings(const zel::session& game, const char* title)
{
    std::printf("%s\n", title);
    Settings now;
    const auto mode = game.get_resolution();
    const auto shadows = game.get_int("ShadowQuality");
    const auto gamma = game.get_float("Gamma");
    const auto filter = game.get_enum("TextureFilter");
    const auto vsync = game.get_bool("VSync");
    Report("get resolution", mode.status());
    Report("get ShadowQuality", shadows.status());
    Report("get Gamma", gamma.status());
    Report("get TextureFilter", filter.status());
    Report("get VSync", vsync.status());
    now.mode = mode.value_or({});
    now.shadows = shadows.value_or(0);
    now.gamma = gamma.value_or(1.0f);
    now.filter = IndexOf(filter.value_or(""));
    now.vsync = vsync.value_or(true);
    std::printf("    Resolution    = %u x %u at %g Hz%s\n", now.mode.width, now.mode.height,
                static_cast<double>(now.mode.refresh_rate), now.mode.width == 0 ? " (none chosen yet)" : "");
    std::printf("    ShadowQuality = %d\n", now.shadows);
    std::printf("    Gamma         = %g\n", static_cast<double>(now.gamma));
    std::printf("    TextureFilter = %s\n", filter.value_or("?").c_str());
    std::printf("    VSync         = %s\n", now.vsync ? "on" : "off");
    return now;
}

void TryBadValues(const zel::session& game)
{
    std::printf("Values the library refuses\n");
    Report("set ShadowQuality = 7", game.set_int("ShadowQuality", 7), zel::status::value_not_allowed);
    Report("set ShadowQuality = -1", game.set_int("ShadowQuality", -1), zel::status::value_not_allowed);
    Report("set ShadowQuality = 2.0 (a Float)", game.set_float("ShadowQuality", 2.0f), zel::status::type_mismatch);
    Report("set Gamma = 1.25 (between steps)", game.set_float("Gamma", 1.25f), zel::status::value_not_on_step);
    Report("set Gamma = 3.0", game.set_float("Gamma", 3.0f), zel::status::value_not_allowed);
    Report("set TextureFilter = \"Nearest\"", game.set_enum("TextureFilter", "Nearest"),
           zel::status::value_not_allowed);
    Report("set TextureFilter = \"trilinear\" (case)", game.set_enum("TextureFilter", "trilinear"),
           zel::status::value_not_allowed);
    Report("set VSync = 1 (an Integer)", game.set_int("VSync", 1), zel::status::type_mismatch);
    Report("set MotionBlur = on (not registered)", game.set_bool("MotionBlur", true), zel::status::option_not_found);
    Report("set resolution 800 x 600 at 60 Hz", game.set_resolution({800, 600, 60.0f}),
           zel::status::value_not_allowed);
    Report("set resolution 1920 x 1080 at 60 Hz", game.set_resolution({1920, 1080, 60.0f}),
           zel::status::value_not_allowed);
}

// Moves every setting one step on from what was loaded, wrapping around.
void ChangeSettings(const zel::session& game, const Settings& now)
{
    const float step = (kGammaMax - kGammaMin) / kGammaSteps;
    const int shadows = now.shadows >= 0 && now.shadows < 4 ? now.shadows + 1 : 0;
    const int gammaIndex = static_cast<int>((now.gamma - kGammaMin) / step + 0.5f);
    const float gamma = gammaIndex >= 0 && gammaIndex < kGammaSteps ? kGammaMin + (gammaIndex + 1) * step : kGammaMin;
    const std::string& filter = kFilters[(now.filter + 1) % kFilters.size()];
    std::size_t mode = 0;
    while (mode < kModes.size() && kModes[mode] != now.mode) {
        ++mode;
    }
    const zel::resolution& next = mode < kModes.size() ? kModes[(mode + 1) % kModes.size()] : kModes[0];

    std::printf("Changing every setting one step on\n");
    Report("set ShadowQuality = " + std::to_string(shadows), game.set_int("ShadowQuality", shadows));
    char number[32];
    std::snprintf(number, sizeof number, "%g", static_cast<double>(gamma));
    Report(std::string("set Gamma = ") + number, game.set_float("Gamma", gamma));
    Report("set TextureFilter = \"" + filter + "\"", game.set_enum("TextureFilter", filter));
    Report(std::string("set VSync = ") + (now.vsync ? "off" : "on"), game.set_bool("VSync", !now.vsync));
    Report("set resolution " + std::to_string(next.width) + " x " + std::to_string(next.height),
           game.set_resolution(next));
}

// Prints the settings file, UTF-16 little-endian, as UTF-8 text.
bool PrintSettingsFile(const std::string& path)
{
    std::printf("The settings file %s\n", path.c_str());
    std::ifstream file(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    std::printf("----------------------------------------------------------------------\n");
    std::printf("%s", zel::to_utf8(units).c_str());
    std::printf("----------------------------------------------------------------------\n");
    std::printf("  %lu bytes of UTF-16LE\n", static_cast<unsigned long>(bytes.size()));
    return !units.empty();
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";
    const QORVA_ZEL_Version v = zel::session::library_version();
    std::printf("Qorva Zel interface %u.%u.%u.%u, settings in \"%s\"\n", v.Major, v.Minor, v.Build, v.Revision,
                dir.c_str());

    std::printf("Starting up\n");
    zel::session game({"Settings Menu Example", "1.0", ".", dir, "settings_menu_cxx", "settings_menu_cxx"});
    if (Report("initialise", game.status()) != zel::status::ok) {
        return 1;
    }
    {
        const zel::session again({"Settings Menu Example", "1.0", ".", dir, "settings_menu_cxx", ""});
        Report("initialise again", again.status(), zel::status::already_initialized);
    }
    RegisterSettings(game);

    std::printf("Loading the settings file\n");
    // On a first run there is no file: the defaults stay, every option counts
    // as unsaved, and the resolution is 0 x 0 at 0 Hz until the game sets one.
    const zel::status loaded = game.load();
    const bool firstRun = loaded == zel::status::file_not_found;
    Report(firstRun ? "load settings file (no settings file yet)" : "load settings file", loaded,
           firstRun ? zel::status::file_not_found : zel::status::ok);
    Report("unsaved changes?", game.has_unsaved_changes().value_or(false) ? zel::status::options_dirty : zel::status::ok,
           firstRun ? zel::status::options_dirty : zel::status::ok);

    const Settings now = ShowSettings(game, firstRun ? "Current settings (defaults)" : "Current settings (from the file)");
    TryBadValues(game);
    ChangeSettings(game, now);
    Report("unsaved changes?", game.has_unsaved_changes().value_or(false) ? zel::status::options_dirty : zel::status::ok,
           zel::status::options_dirty);
    ShowSettings(game, "Current settings (changed)");

    std::printf("Saving\n");
    Report("save settings file", game.save());
    Report("unsaved changes?", game.has_unsaved_changes().status());
    if (!PrintSettingsFile(dir + "/GFXSettings.settings_menu_cxx.xml")) {
        std::printf("  no settings file was written\n");
        ++g_unexpected;
    }

    std::printf("Shutting down\n");
    Report("release", game.release());
    Report("unsaved changes? (after release)", game.has_unsaved_changes().status(), zel::status::not_initialized);

    if (g_unexpected != 0) {
        std::printf("%d call(s) did not return the documented status\n", g_unexpected);
        return 1;
    }
    std::printf("Every call returned the documented status\n");
    return 0;
}
