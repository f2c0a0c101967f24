// kit_game.cpp - a game's graphics settings on the settings kit
// (qorva_zel_kit.hpp): the options live in kit_game.schema.json, not in code.
//
//   kit_game [CONFIG_DIR [SCHEMA]]
//
// CONFIG_DIR holds the settings files (default: the current directory);
// SCHEMA is the schema file (default: kit_game.schema.json beside the
// program). Two players start the game:
//
//  1. A new player (CONFIG_DIR): on the first run there is no settings file,
//     and the schema's hardware tiers choose a preset from the facts the
//     renderer reports. The menu is printed from the kit's listing; the
//     player changes a value (the preset becomes "Custom") and the settings
//     are saved. On the next run the file is loaded and the load report says
//     what it held that could not be used.
//  2. A player of the first release (CONFIG_DIR/release1-player): the first
//     release's schema (version 1, kept below as the game kept it) wrote
//     the file; the current schema migrates it (a rename, a value map, a
//     clamp, a dropped option and a changed default) and keeps a backup.
//
// Exits with 0 when every call returned the status the kit documents.
#include "qorva_zel_kit.hpp"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <variant>

namespace kit = qorva_zel::kit;
namespace fs = std::filesystem;

namespace {

int g_unexpected = 0; // calls whose status was not the documented one

// Prints "<what> -> <status> <text>" and counts a status other than expected.
kit::status Report(const std::string& what, kit::status got, kit::status expected = QORVA_ZEL_OK)
{
    std::printf("  %-48s -> %4d %s", what.c_str(), static_cast<int>(got), kit::status_text(got));
    if (got != expected) {
        std::printf("   UNEXPECTED, wanted %d", static_cast<int>(expected));
        ++g_unexpected;
    }
    std::printf("\n");
    return got;
}

std::string Text(const kit::value& value)
{
    switch (value.index()) {
    case 0: return std::to_string(std::get<0>(value));
    case 1: {
        char number[32];
        std::snprintf(number, sizeof number, "%g", static_cast<double>(std::get<1>(value)));
        return number;
    }
    case 2: return std::get<2>(value);
    default: return std::get<3>(value) ? "on" : "off";
    }
}

// What the game's renderer found out about the machine. The kit adds the
// number of logical CPUs, the memory and the operating system itself.
const std::vector<std::pair<std::string, std::string>> kFacts = {
    {"gpuVendor", "nvidia"}, {"videoMemoryMB", "8192"}, {"hdr", "false"}};

kit::open_options Options(const fs::path& config, const fs::path& schema)
{
    kit::open_options options;
    options.schema_path = schema.u8string();
    options.display_name = "Kit Game";
    options.version_name = "2.0";
    options.config_path = config.u8string();
    options.executable = "kit_game";
    options.exec_cmd = "kit_game";
    options.facts = kFacts;
#ifdef _WIN32
    options.tags = {"windows"};
#else
    options.tags = {"linux"};
#endif
    options.resolutions = {{1280, 720, 60.0f}, {1920, 1080, 60.0f}, {2560, 1440, 144.0f}};
    return options;
}

void PrintMenu(const kit::session& game)
{
    const kit::listing menu = game.list(kit::order::category);
    std::printf("Settings menu (preset: %s)\n", std::string(menu.current_preset()).c_str());
    std::string_view category;
    for (const kit::option_view option : menu) {
        if (option.category() != category) {
            category = option.category();
            std::printf("  [%s]\n", std::string(category).c_str());
        }
        std::string limits;
        if (option.type() == QORVA_ZEL_Enum) {
            for (std::string_view allowed : option.allowed()) {
                limits += (limits.empty() ? "" : "|") + std::string(allowed);
            }
        } else if (option.type() != QORVA_ZEL_Bool) {
            limits = Text(option.min_value()) + ".." + Text(option.max_value());
        }
        std::printf("    %-26s %-12s %-28s%s%s%s\n", std::string(option.label_key()).c_str(),
                    Text(option.current()).c_str(), limits.c_str(), option.changed() ? " changed" : "",
                    option.restart_required() ? " restart" : "", option.available() ? "" : " unavailable");
    }
}

void PrintLoadReport(const kit::session& game)
{
    const kit::report report = game.load_report();
    std::printf("Load report: %u value(s) of the file not applied\n", report.size());
    for (const kit::finding_view finding : report) {
        std::printf("    %s:%u:%u: %s (%s)\n", std::string(report.file()).c_str(), finding.line(), finding.column(),
                    std::string(finding.message()).c_str(), std::string(finding.kind_name()).c_str());
    }
}

// ---- 1. A new player --------------------------------------------------------

void NewPlayer(const fs::path& config, const fs::path& schema)
{
    std::printf("== A new player: %s\n", config.u8string().c_str());
    std::error_code error;
    const bool had_file = fs::exists(config / "GFXSettings.kit_game.xml", error);
    kit::session game(Options(config, schema));
    if (Report("open the kit", game.open_status()) != QORVA_ZEL_OK) {
        std::printf("  %s\n", game.message().c_str());
        return;
    }
    const kit::open_report& opened = game.opened();
    Report("load settings file", opened.load_status, had_file ? QORVA_ZEL_OK : QORVA_ZEL_ERROR_FILE_NOT_FOUND);
    if (opened.first_run) {
        std::printf("First run: tier \"%s\" chose the preset \"%s\"\n", opened.tier_name.c_str(),
                    opened.preset.c_str());
    } else {
        PrintLoadReport(game);
    }
    PrintMenu(game);

    std::printf("The player changes the shadows and tries a few values\n");
    const std::int32_t shadows = game.get_as<std::int32_t>("ShadowQuality").value_or(0);
    Report("set ShadowQuality to " + std::to_string((shadows + 1) % 5), game.set("ShadowQuality", (shadows + 1) % 5));
    std::printf("  current preset: %s\n", game.current_preset().c_str());
    Report("set FieldOfView to 130", game.set("FieldOfView", std::int32_t{130}), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    Report("set RenderScale to 1.1", game.set("RenderScale", 1.1f), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);
    Report("set HDR on (no HDR display)", game.set("HDR", true), QORVA_ZEL_KIT_ERROR_UNAVAILABLE);
    Report("apply preset Cinematic", game.apply_preset("Cinematic"), QORVA_ZEL_KIT_ERROR_NOT_FOUND);
    Report("save settings file", game.save());
}

// ---- 2. A player of the first release ------------------------------------------

// The schema of the game's first release, as it shipped.
const char kRelease1Schema[] = R"({
  "settingsVersion": 1,
  "options": [
    {"name": "WindowMode", "type": "Enum", "default": "Fullscreen", "allowed": ["Windowed", "Borderless", "Fullscreen"]},
    {"name": "VSync", "type": "Bool", "default": true},
    {"name": "HDR", "type": "Bool", "default": false},
    {"name": "FieldOfView", "type": "Integer", "default": 90, "min": 60, "max": 120},
    {"name": "TextureQuality", "type": "Integer", "default": 1, "min": 0, "max": 2, "steps": 2},
    {"name": "Shadows", "type": "Integer", "default": 2, "min": 0, "max": 4, "steps": 4},
    {"name": "MotionBlur", "type": "Bool", "default": true},
    {"name": "FilmGrain", "type": "Bool", "default": true}
  ]
})";

void Release1Player(const fs::path& config, const fs::path& schema)
{
    std::printf("\n== A player of the first release: %s\n", config.u8string().c_str());
    std::error_code error;
    fs::create_directories(config, error);
    if (!fs::exists(config / "GFXSettings.kit_game.xml", error)) {
        std::printf("Release 1 writes the player's settings (version 1)\n");
        kit::open_options options = Options(config, "release1.schema.json");
        options.schema_text = kRelease1Schema;
        kit::session release1(options);
        Report("open with the release 1 schema", release1.open_status());
        Report("set HDR on", release1.set("HDR", true));
        Report("set FieldOfView to 115", release1.set("FieldOfView", std::int32_t{115}));
        Report("set TextureQuality to 2", release1.set("TextureQuality", std::int32_t{2}));
        Report("set Shadows to 3", release1.set("Shadows", std::int32_t{3}));
        Report("set FilmGrain off", release1.set("FilmGrain", false));
        Report("save settings file", release1.save());
    }

    std::printf("Release 2 starts\n");
    kit::session game(Options(config, schema));
    if (Report("open the kit", game.open_status()) != QORVA_ZEL_OK) {
        std::printf("  %s\n", game.message().c_str());
        return;
    }
    const kit::open_report& opened = game.opened();
    Report("load settings file", opened.load_status);
    if (opened.migrated) {
        Report("migrate from version " + std::to_string(opened.file_version) + " to " +
                   std::to_string(opened.schema_version),
               opened.migration_status);
        std::printf("  the old file is kept as %s\n", opened.backup_path.c_str());
    } else {
        std::printf("  the file is at version %u: nothing to migrate\n", opened.file_version);
    }
    PrintLoadReport(game);
    for (const char* name : {"ShadowQuality", "TextureQuality", "FieldOfView", "MotionBlur", "HDR"}) {
        std::printf("    %-16s %s\n", name, Text(game.get(name).value_or(kit::value(std::string("?")))).c_str());
    }
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path config = argc > 1 ? fs::u8path(argv[1]) : fs::current_path();
    const fs::path schema = argc > 2 ? fs::u8path(argv[2]) : fs::u8path(argv[0]).parent_path() / "kit_game.schema.json";
    NewPlayer(config, schema);
    Release1Player(config / "release1-player", schema);
    std::printf("\n%s\n", g_unexpected == 0 ? "Every call returned the documented status"
                                            : "Some calls did not return the documented status");
    return g_unexpected == 0 ? 0 : 1;
}
