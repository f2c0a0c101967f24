// Loading the settings file: the file's options are matched with the
// registered ones and validated like the game's own values, then everything
// is committed at once.
#include "core/operations.h"

#include "platform/file_io.h"
#include "registry/option_value.h"
#include "settingsfile/settings_reader.h"
#include "text/utf.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qorva_zel {
namespace {

void ApplyResolution(const StoredResolution& stored, QORVA_ZEL_Resolution& resolution) noexcept
{
    resolution.Width = stored.Width.value_or(resolution.Width);
    resolution.Height = stored.Height.value_or(resolution.Height);
    resolution.RefreshRate = stored.RefreshRate.value_or(resolution.RefreshRate);
}

// What the load will commit, gathered without changing the state. The
// lists are the state's kept buffers, emptied first.
struct LoadResult {
    std::vector<OptionRecord> Unregistered;
    // In file order, so that of repeated values the last accepted counts.
    std::vector<PreparedValue>& Accepted;
    // The saved value of each registered option the file names: the first
    // option of the file with its name and type.
    std::vector<std::pair<std::size_t, SavedValue>>& Saved;
    std::vector<bool>& HasSaved;
};

// Leaves the kept buffers as a settings file of ordinary size needs them,
// however the load ends: the document's text, no longer needed, goes back
// to be the next load's read buffer, so that loads use one large buffer,
// not two in turn.
class TrimOnExit {
public:
    explicit TrimOnExit(FileBuffers& buffers) noexcept : buffers_(buffers) {}
    ~TrimOnExit()
    {
        buffers_.Document.GiveBackText(buffers_.Bytes);
        buffers_.Trim();
    }
    TrimOnExit(const TrimOnExit&) = delete;
    TrimOnExit& operator=(const TrimOnExit&) = delete;

private:
    FileBuffers& buffers_;
};

void MatchOptions(const OptionTable& options, const SettingsDocument& document, LoadResult& result)
{
    result.Accepted.clear();
    result.Saved.clear();
    // Sized once: of a large file, these lists would otherwise grow by
    // doubling, each step holding the old list and the new one.
    result.Accepted.reserve(document.Options.size());
    result.Saved.reserve(document.Options.size());
    std::vector<bool>& hasSaved = result.HasSaved;
    hasSaved.assign(options.Size(), false);
    std::u16string name;      // reused for every option
    std::size_t expected = 0; // where the next option is likely registered
    for (const StoredOption& stored : document.Options) {
        name.clear();
        AppendFromUtf8(stored.Name, name);
        const OptionTable::Expected found = options.FindExpected(name, stored.Type, expected);
        if (!found.Typed) {
            result.Unregistered.push_back(MakeOptionRecord(stored, document, name));
            continue;
        }
        SavedValue value;
        value.Value = ReadStoredValue(stored);
        if (stored.Type == QORVA_ZEL_Enum) {
            value.String = FromUtf8(stored.Value);
        }
        value.Present = true;

        // Validated against the option registered last under the name. A
        // refused value is not applied, but the saved state still holds what
        // the file said, for the registered option of its name and type.
        PreparedValue prepared;
        if (PrepareValue(options.Record(found.Name.LastAt), found.Name.LastAt, {stored.Type, value.Value, value.String},
                         prepared) == QORVA_ZEL_OK) {
            result.Accepted.push_back(std::move(prepared));
        }
        if (!hasSaved[*found.Typed]) {
            hasSaved[*found.Typed] = true;
            result.Saved.emplace_back(*found.Typed, std::move(value));
        }
    }
}

} // namespace

QORVA_ZEL_Status LoadConfigFile(SdkState& state)
{
    if (!state.Buffers) {
        state.Buffers = std::make_unique<FileBuffers>();
    }
    FileBuffers& buffers = *state.Buffers;
    const TrimOnExit trim(buffers);
    SettingsDocument& document = buffers.Document;
    {
        std::string& bytes = buffers.Bytes;
        bytes.clear();
        switch (ReadWholeFile(ToNativePath(state.SettingsFilePath), bytes)) {
        case ReadOutcome::Missing:
        case ReadOutcome::NoPermission:
        case ReadOutcome::CannotOpen:
            return QORVA_ZEL_ERROR_FILE_NOT_FOUND;
        case ReadOutcome::NotRegularFile:
        case ReadOutcome::TooLarge:
        case ReadOutcome::ReadError:
            return QORVA_ZEL_ERROR_FILE;
        case ReadOutcome::Ok:
            break;
        }
        ReadOptions options;
        options.CompactText = bytes.size() > kLargestKeptFile;
        if (!ReadSettingsBuffer(bytes, document, options)) {
            return QORVA_ZEL_ERROR_FILE;
        }
    }
    LoadResult result{{}, buffers.Accepted, buffers.Saved, buffers.HasSaved};
    MatchOptions(state.RegisteredOptions, document, result);

    // Nothing below allocates or fails.
    ApplyResolution(document.Resolution, state.CurrentResolution);
    ApplyResolution(document.Resolution, state.SavedResolution);
    state.UnregisteredOptions.swap(result.Unregistered);
    OptionTable& options = state.RegisteredOptions;
    options.ForgetSaved();
    for (auto& [position, value] : result.Saved) {
        options.StoreSaved(position, value);
    }
    for (PreparedValue& value : result.Accepted) {
        options.Store(value);
    }
    return QORVA_ZEL_OK;
}

} // namespace qorva_zel
