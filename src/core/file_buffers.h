// The memory loads and saves keep between calls. Loading or saving a file
// again then writes into memory that is already mapped, instead of
// allocating, touching and handing back the same buffers (and their page
// faults) on every call.
#pragma once

#include "registry/option_value.h"
#include "settingsfile/settings_reader.h"
#include "settingsfile/settings_writer.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace qorva_zel {

// A file larger than this is read without keeping its buffers (a settings
// file of some 28,000 options).
inline constexpr std::size_t kLargestKeptFile = 8 * 1024 * 1024;

struct FileBuffers {
    // A load's: the file's bytes (decoded in place and handed to the
    // document as its text, getting the document's previous text back), the
    // parsed document, and what the load will commit.
    std::string Bytes;
    SettingsDocument Document;
    std::vector<PreparedValue> Accepted;
    std::vector<std::pair<std::size_t, SavedValue>> Saved;
    std::vector<bool> HasSaved;
    // A save's: the options to write and the file's text.
    std::vector<OptionToWrite> Options;
    std::u16string Text;

    // After a call: frees everything when it holds more than a settings file
    // of ordinary size needs, so that one huge file does not leave its
    // memory behind.
    void Trim() noexcept;
    // Frees everything (ReleaseSDK).
    void Release() noexcept;
};

} // namespace qorva_zel
