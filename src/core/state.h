// The one process-wide state object.
#pragma once

#include "qorva_zel.h"
#include "core/file_buffers.h"
#include "platform/recursive_lock.h"
#include "registry/option_record.h"
#include "registry/option_table.h"

#include <memory>
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
    // The registered options with their saved values.
    OptionTable RegisteredOptions;
    // Options of the last loaded file that match no registered option, kept
    // for the next save.
    std::vector<OptionRecord> UnregisteredOptions;
    std::vector<QORVA_ZEL_Resolution> RegisteredResolutions;
    QORVA_ZEL_Resolution CurrentResolution{};
    QORVA_ZEL_Resolution SavedResolution{};
    // What loads and saves keep between calls, made by the first of them
    // (so that initialisation touches no more memory than before).
    std::unique_ptr<FileBuffers> Buffers;
    RecursiveLock Lock;
};

// The instance the exported functions work on: made on first use and never
// destroyed, so that a thread still inside a call while the process exits
// (its exit handlers run) finds it intact.
SdkState& TheState() noexcept;

} // namespace qorva_zel
