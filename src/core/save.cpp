// Saving the settings file: what it holds is decided here, written as text
// by the settings-file writer and put in place by the platform's atomic
// replacement; then the saved state becomes the current one.
#include "core/operations.h"

#include "platform/file_io.h"
#include "settingsfile/settings_writer.h"

#include <memory>
#include <string>

namespace qorva_zel {
namespace {

// The list of options goes into the state's kept buffer, which settings
// borrows (and gives back).
void DescribeFile(const SdkState& state, bool discardUnregistered, SettingsToWrite& settings)
{
    settings.Application = {state.DisplayName, state.VersionName, state.InstallPath,
                            state.ConfigPath,  state.Executable,  state.ExecCmd};
    settings.Resolution = state.CurrentResolution;
    settings.Listed = state.RegisteredResolutions.data();
    settings.ListedCount = state.RegisteredResolutions.size();
    const OptionTable& options = state.RegisteredOptions;
    settings.Options.clear();
    settings.Options.reserve(options.Size() + (discardUnregistered ? 0 : state.UnregisteredOptions.size()));
    options.ForEachRecord([&settings](const OptionRecord& record) { settings.Options.push_back({&record, true}); });
    if (!discardUnregistered) {
        for (const OptionRecord& record : state.UnregisteredOptions) {
            // A kept option that now has a registered option of the same name
            // and type is stale: writing it would override the newer value on
            // the next load.
            if (!options.FindOfType(record.Name, record.Type)) {
                settings.Options.push_back({&record, false});
            }
        }
    }
}

// Lends the state's kept list of options to a save's description, and takes
// it back emptied, the kept buffers trimmed, however the save ends.
class BorrowedBuffers {
public:
    BorrowedBuffers(FileBuffers& buffers, SettingsToWrite& settings) noexcept : buffers_(buffers), settings_(settings)
    {
        settings_.Options.swap(buffers_.Options);
    }
    ~BorrowedBuffers()
    {
        settings_.Options.clear();
        settings_.Options.swap(buffers_.Options);
        buffers_.Trim();
    }
    BorrowedBuffers(const BorrowedBuffers&) = delete;
    BorrowedBuffers& operator=(const BorrowedBuffers&) = delete;

private:
    FileBuffers& buffers_;
    SettingsToWrite& settings_;
};

} // namespace

QORVA_ZEL_Status SaveConfigFile(SdkState& state, std::uint32_t discardUnregistered)
{
    // The text, the path and the saved values are all prepared before the
    // file is touched: a failure on the way changes nothing, and after the
    // file is replaced nothing can fail.
    if (!state.Buffers) {
        state.Buffers = std::make_unique<FileBuffers>();
    }
    FileBuffers& buffers = *state.Buffers;
    SettingsToWrite settings;
    const BorrowedBuffers borrowed(buffers, settings);
    DescribeFile(state, (discardUnregistered & 1u) != 0, settings);
    std::u16string& text = buffers.Text;
    WriteSettingsText(settings, text);
    const NativePath path = ToNativePath(state.SettingsFilePath);
    OptionTable::PendingSave saved = state.RegisteredOptions.PrepareSave();
    if (ReplaceFileAtomically(path, FileBytes(text)) != ReplaceOutcome::Ok) {
        return QORVA_ZEL_ERROR_FILE;
    }
    state.SavedResolution = state.CurrentResolution;
    state.RegisteredOptions.CommitSave(saved);
    return QORVA_ZEL_OK;
}

} // namespace qorva_zel
