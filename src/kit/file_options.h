// The options of a settings file as the kit works on them: read from the
// file's description, migrated, judged and written back.
#pragma once

#include "kit/kit_value.h"
#include "registry/option_record.h"
#include "settingsfile/settings_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qorva_zel::kit {

struct FileOption {
    std::string Name;
    KitValue Value;        // as the library reads it (after a migration: as migrated)
    OptionRecord Record;   // the file's own record: limits, allowed strings
    bool Registered = false;
    // Where the element stands in the file as read, and its "Value" text.
    std::size_t Offset = 0;
    std::string Text;
    std::int32_t TypeAsRead = 0;
    bool Misread = false;  // the text is not what it reads as (as qorvazel check judges)
    bool Untouched = false; // a migration found the value to be an earlier default
};

// The readable options of a document, in file order, each judged for misreading.
std::vector<FileOption> ReadFileOptions(const SettingsDocument& document);

// The settings version a file records (the kit's version option), or 0.
std::uint32_t FileVersion(const std::vector<FileOption>& options);

} // namespace qorva_zel::kit
