// The one process-wide state object and the frame every operation runs in.
#pragma once

#include "qorva_zel.h"
#include "core/platform/recursive_lock.h"
#include "registry/option_registry.h"
#include "registry/saved_options.h"

#include <mutex>
#include <string>
#include <vector>

namespace qorva_zel {

struct SdkState {
    std::u16string SettingsFilePath;
    bool IsInitialized = false;
    std::u16string DisplayName;
    std::u16string VersionName;
    std::u16string InstallPath;
    std::u16string ConfigPath;
    std::u16string Executable;
    std::u16string ExecCmd;
    OptionRegistry RegisteredOptions;
    std::vector<OptionRecord> UnregisteredOptions;
    SavedOptions SavedOptionSet;
    std::vector<QORVA_ZEL_Resolution> RegisteredResolutions;
    QORVA_ZEL_Resolution CurrentResolution{};
    QORVA_ZEL_Resolution SavedResolution{};
    RecursiveLock Lock;
};

// The instance the exported functions work on. It is constructed when the
// library is loaded and destroyed when it is unloaded.
SdkState& TheState();

// Runs work under the lock when the library is initialised; otherwise
// returns QORVA_ZEL_ERROR_NOT_INITIALIZED. The lock is left on every way
// out, exceptions included.
template <class Work>
QORVA_ZEL_Status WithInitializedState(SdkState& state, Work&& work)
{
    std::lock_guard<RecursiveLock> guard(state.Lock);
    if (!state.IsInitialized) {
        return QORVA_ZEL_ERROR_NOT_INITIALIZED;
    }
    return work();
}

} // namespace qorva_zel
