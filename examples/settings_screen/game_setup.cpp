// game_setup.cpp - opening the kit the way the game does.
#include "game_setup.h"

#include "pending_changes.h"

#include <algorithm>
#include <cctype>

std::vector<QORVA_ZEL_Resolution> StandInModes()
{
    return {{1280, 720, 60.0f}, {1600, 900, 60.0f}, {1920, 1080, 59.94f}, {1920, 1080, 60.0f},
            {2560, 1440, 60.0f}, {2560, 1440, 144.0f}, {3840, 2160, 60.0f}};
}

QORVA_ZEL_Resolution StandInDesktopMode()
{
    return {1920, 1080, 60.0f};
}

void StartInDesktopMode(const std::vector<QORVA_ZEL_Resolution>& modes, const QORVA_ZEL_Resolution& desktop)
{
    QORVA_ZEL_Resolution current{};
    QORVA_ZEL_GetResolution(&current);
    const auto listed = [&](const QORVA_ZEL_Resolution& mode) {
        return std::find_if(modes.begin(), modes.end(), [&](const QORVA_ZEL_Resolution& m) { return SameMode(m, mode); });
    };
    if (modes.empty() || listed(current) != modes.end()) {
        return;
    }
    const auto desktop_listed = listed(desktop);
    const QORVA_ZEL_Resolution start = desktop_listed != modes.end() ? *desktop_listed : modes.back();
    QORVA_ZEL_SetResolution(&start);
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
                              const std::string& gl_vendor, std::vector<QORVA_ZEL_Resolution> modes)
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
    options.resolutions = std::move(modes);
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
