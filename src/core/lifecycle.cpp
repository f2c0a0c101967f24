// Initialising and releasing the library.
#include "core/operations.h"

#include "registry/option_record.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace qorva_zel {
namespace {

// The longest settings path, its terminator included.
constexpr std::size_t kMaxSettingsPathUnits = 2048;

// ConfigPath "\" "GFXSettings" "." Executable ".xml"
std::u16string ComposeSettingsPath(std::u16string_view configPath, std::u16string_view executable)
{
    std::u16string path;
    path.reserve(configPath.size() + executable.size() + 17);
    path.append(configPath);
    path.append(u"\\");
    path.append(u"GFXSettings");
    path.append(u".");
    path.append(executable);
    path.append(u".xml");
    return path;
}

bool IsSupportedVersion(const QORVA_ZEL_Version& version)
{
    return version.Major == QORVA_ZEL_VERSION_MAJOR && version.Minor == QORVA_ZEL_VERSION_MINOR &&
           version.Build == QORVA_ZEL_VERSION_BUILD && version.Revision == QORVA_ZEL_VERSION_REVISION;
}

// Drops every option, resolution and string; the saved resolution stays.
void ResetContents(SdkState& state) noexcept
{
    state.RegisteredOptions.Clear();
    state.UnregisteredOptions.clear();
    state.RegisteredResolutions.clear();
    state.CurrentResolution = QORVA_ZEL_Resolution{};
}

} // namespace

QORVA_ZEL_Status InitializeSdk(SdkState& state, const QORVA_ZEL_ApplicationInfo& appInfo,
                               const QORVA_ZEL_Version& version)
{
    if (state.IsInitialized) {
        return QORVA_ZEL_ERROR_ALREADY_INITIALIZED;
    }
    if (!IsSupportedVersion(version)) {
        return QORVA_ZEL_ERROR_VERSION_MISMATCH;
    }

    // Everything that can fail (allocation, the path limit) happens before
    // the state is touched, so a failed initialisation leaves it as it was.
    std::u16string displayName(ToView(appInfo.DisplayName));
    std::u16string versionName(ToView(appInfo.VersionName));
    std::u16string installPath(ToView(appInfo.InstallPath));
    std::u16string configPath(ToView(appInfo.ConfigPath));
    std::u16string executable(ToView(appInfo.Executable));
    std::u16string execCmd(ToView(appInfo.ExecCmd));
    std::u16string path = ComposeSettingsPath(configPath, executable);
    if (path.size() + 1 > kMaxSettingsPathUnits) {
        return QORVA_ZEL_ERROR_FILE;
    }

    ResetContents(state);
    state.DisplayName = std::move(displayName);
    state.VersionName = std::move(versionName);
    state.InstallPath = std::move(installPath);
    state.ConfigPath = std::move(configPath);
    state.Executable = std::move(executable);
    state.ExecCmd = std::move(execCmd);
    state.SettingsFilePath = std::move(path);
    state.IsInitialized = true;
    return QORVA_ZEL_OK;
}

QORVA_ZEL_Status ReleaseSdk(SdkState& state)
{
    ResetContents(state);
    state.Buffers.reset();
    state.IsInitialized = false;
    for (std::u16string* text : {&state.SettingsFilePath, &state.DisplayName, &state.VersionName, &state.InstallPath,
                                 &state.ConfigPath, &state.Executable, &state.ExecCmd}) {
        std::u16string().swap(*text);
    }
    return QORVA_ZEL_OK;
}

} // namespace qorva_zel
