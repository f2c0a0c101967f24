#include "kit/file_options.h"

#include "kit/schema.h"
#include "text/utf.h"
#include "settingsfile/value_verdicts.h"

namespace qorva_zel::kit {
std::vector<FileOption> ReadFileOptions(const SettingsDocument& document)
{
    std::vector<FileOption> options;
    options.reserve(document.Options.size());
    for (const StoredOption& stored : document.Options) {
        FileOption option;
        option.Name = std::string(stored.Name);
        option.Record = MakeOptionRecord(stored, document, FromUtf8(stored.Name));
        option.Value = FromRecord(option.Record);
        option.Registered = stored.Registered == "True";
        option.Offset = stored.Offset;
        option.Text = std::string(stored.Value);
        option.TypeAsRead = stored.Type;
        option.Misread = !qorva_zel::ReadsAsWritten(stored.Type, stored.Value, option.Record.Value);
        options.push_back(std::move(option));
    }
    return options;
}

std::uint32_t FileVersion(const std::vector<FileOption>& options)
{
    for (const FileOption& option : options) {
        if (option.Name == kVersionOptionName && option.Value.Type == QORVA_ZEL_Integer) {
            return option.Value.Int > 0 ? static_cast<std::uint32_t>(option.Value.Int) : 0;
        }
    }
    return 0;
}

} // namespace qorva_zel::kit
