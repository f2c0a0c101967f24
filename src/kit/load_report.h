// The findings of a load: every value of the file that the game did not
// apply, or not as written, in the words of qorvazel check.
#pragma once

#include "kit/file_options.h"
#include "kit/schema.h"
#include "settingsfile/settings_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qorva_zel::kit {

struct Finding {
    std::int32_t Kind = 0; // QORVA_ZEL_KIT_FindingKind
    std::string Option;
    std::string Text;
    std::string Message;
    std::size_t Offset = 0;
    TextPosition Position;
};

const char* FindingKindName(std::int32_t kind) noexcept; // "misread", "out-of-range", ...

// What the game makes of one option of the file, besides misreading.
struct OptionVerdicts {
    const Schema* TheSchema = nullptr;
    const std::vector<bool>* Available = nullptr;    // one per schema option
    const std::vector<KitValue>* Defaults = nullptr; // one per schema option, after tags
};

// Judges options (already migrated) and the document's skipped elements;
// positions are in document.Source. Sorted by place in the file.
std::vector<Finding> JudgeFile(const std::vector<FileOption>& options, const SettingsDocument& document,
                               const OptionVerdicts& verdicts);

} // namespace qorva_zel::kit
