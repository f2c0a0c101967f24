// game_setup.cpp - opening the kit the way the game does.
#include "game_setup.h"

#include <algorithm>
#include <cctype>

std::vector<kit::display_mode> StandInModes()
{
    // Rates as a display reports them: 59.94 Hz is 60000/1001.
    return {kit::mode(1280, 720, 60, 1),      kit::mode(1600, 900, 60, 1),    kit::mode(1920, 1080, 60000, 1001),
            kit::mode(1920, 1080, 60, 1),     kit::mode(2560, 1440, 60, 1),   kit::mode(2560, 1440, 144, 1),
            kit::mode(3840, 2160, 60, 1)};
}

kit::display_mode StandInDesktopMode()
{
    return kit::mode(1920, 1080, 60, 1);
}

void StartInListedMode(kit::session& settings, const kit::display_mode& desktop)
{
    const std::optional<kit::mode_info> mode = settings.get_mode();
    if (!mode || mode->modes.empty()) {
        return;
    }
    const bool first_run = settings.opened().first_run;
    if (!first_run && settings.opened().mode_listed) {
        return;
    }
    if (const std::optional<kit::display_mode> start = settings.closest_mode(first_run ? desktop : mode->current)) {
        settings.set_mode(*start);
    }
}

namespace {

std::string GpuVendor(std::string gl_vendor)
{
    std::transform(gl_vendor.begin(), gl_vendor.end(), gl_vendor.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (gl_vendor.find("nvidia") != std::string::npos) {
        return "nvidia";
    }
    if (gl_vendor.find("amd") != std::string::npos || gl_vendor.find("ati ") != std::string::npos) {
        return "amd";
    }
    return gl_vendor.find("intel") != std::string::npos ? "intel" : "other";
}

} // namespace

kit::open_options GameOptions(const std::string& schema_path, const std::string& settings_dir,
                              const std::string& gl_vendor, std::vector<kit::display_mode> modes)
{
    kit::open_options options;
    options.schema_path = schema_path;
    options.display_name = "Qorva Zel settings screen";
    options.version_name = "1.0";
    options.executable = "settings_screen";
    options.config_path =
        !settings_dir.empty() ? settings_dir : kit::local_settings_folder("QorvaZelSettingsScreen", true).value_or(".");
#ifdef _WIN32
    options.tags = {"windows"};
#else
    options.tags = {"linux"};
#endif
    // What a game learns from its renderer; SDL2 tells nothing of HDR or
    // ray tracing, so those options are unavailable here.
    options.facts = {{"gpuVendor", GpuVendor(gl_vendor)}, {"hdr", "false"}, {"rayTracing", "false"}};
    options.modes = std::move(modes);
    return options;
}

std::vector<std::string> BannerLines(const kit::session& settings)
{
    std::vector<std::string> lines;
    const kit::open_report& opened = settings.opened();
    if (opened.first_run && !opened.preset.empty()) {
        lines.push_back("First start: the " + opened.preset + " preset was chosen for this machine (" +
                        opened.tier_name + ").");
    }
    const kit::report report = settings.load_report();
    if (!report.empty()) {
        lines.push_back(std::to_string(report.size()) + (report.size() == 1 ? " saved setting" : " saved settings") +
                        " could not be used:");
        for (const kit::finding_view finding : report) {
            lines.push_back("  " + std::string(finding.message()));
        }
    }
    return lines;
}
