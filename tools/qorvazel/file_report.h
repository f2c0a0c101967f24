// What qorvazel knows about one settings file: it is read, judged and
// written back with the library's own reader, validation and writer.
#pragma once

#include "platform/file_io.h"
#include "qorva_zel.h"
#include "platform/file_io.h"
#include "registry/option_record.h"
#include "settingsfile/settings_reader.h"
#include "settingsfile/value_verdicts.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qorvazel {

// Exit codes, the same for every command.
enum Exit : int {
    kExitOk = 0,
    kExitProblems = 1, // check found problems; a get or set was refused
    kExitFile = 2,     // the file cannot be read, is not well-formed, or cannot be written
    kExitUsage = 3,    // unknown command or option, wrong arguments
    kExitChanged = 4,  // set: the file changed since it was read (a game saved it); nothing written
};

// One thing wrong with an option, as check and show report it.
struct Problem {
    const char* Kind = "";  // "misread", "out-of-range", "off-step", "not-allowed", "malformed"
    std::string Message;    // e.g. VSync "On" reads as false
};

// One "OPTION" element: a readable one (Stored set) or one the loader skips.
struct OptionReport {
    const qorva_zel::StoredOption* Stored = nullptr; // null: malformed
    const qorva_zel::SkippedOption* Skipped = nullptr;
    qorva_zel::OptionRecord Record;                   // the file's own limits; readable options only
    bool Registered = false;
    // An Integer or Float whose file records no limits (no RANGE, or one of
    // 0 to 0 in 0 steps, as written for an option nobody gave limits): no
    // range or step applies, and Record.NumSteps is -1 ("any value").
    bool NoLimits = false;
    qorva_zel::TextPosition Position;
    std::vector<Problem> Problems;

    // "fine", "misread", "refused" or "malformed".
    const char* Verdict() const;
};

// A settings file read whole.
struct SettingsFile {
    std::string Path; // as given, UTF-8
    std::string Bytes; // as read
    qorva_zel::FileIdentity Identity;
    qorva_zel::SettingsDocument Document;
    std::vector<OptionReport> Options; // every "OPTION" element, in document order
    // Whether the document has the settings element (ZEL_SDK/GAMESETTINGS).
    // An empty file, another XML document or one without it reads as no
    // options at all: the game loads nothing from it and its next save
    // replaces it.
    bool HasSettings = false;
};

// The words check and show use for a file without the settings element.
extern const char kNoSettingsProblem[];

// The path for the library's file calls, from the command line's argument.
qorva_zel::NativePath LibraryPath(const std::string& path);

// Reads and judges the file. On failure returns null and sets reason: the
// file is missing, not a regular file, too large, unreadable, or not
// well-formed at line L column C.
std::unique_ptr<SettingsFile> ReadSettingsFile(const std::string& path, std::string& reason);

// The type words of the file, case as written ("Integer", ...); -1 for none.
std::int32_t TypeFromName(std::string_view word);
const char* TypeName(std::int32_t type);

// The text of a value as the library reads it ("false", "1.5", "\"High\"")
// and the limits in words ("0 to 4 in 4 steps"), shared with the settings
// kit's load report (src/settingsfile/value_verdicts.h).
using qorva_zel::LimitsText;
using qorva_zel::ValueText;

// Reads text as a value of type, as the loader would. False (with why) when
// the text is not what it reads as: "On" for a Bool, "1,5" for a Float.
bool ParseValue(std::int32_t type, const std::string& text, qorva_zel::OptionRecord& into, std::string& why);

// Why record's own limits refuse its value, or "" when they accept it
// (the library's ValidateOptionValue decides); kind gets the problem's kind.
std::string RefusalOf(const qorva_zel::OptionRecord& record, const char*& kind);

// Mode texts ("1920x1080@59.94") both ways.
std::string ModeText(const QORVA_ZEL_Resolution& mode);
bool ParseMode(const std::string& text, QORVA_ZEL_Resolution& mode);
QORVA_ZEL_Resolution CurrentMode(const qorva_zel::SettingsDocument& document);
std::vector<QORVA_ZEL_Resolution> ListedModes(const qorva_zel::SettingsDocument& document);

// Writes the file anew with the library's writer and atomic replacement:
// the application strings, the resolution, the listed modes and every
// readable option (with its "Registered" flag) as file holds them, but
// for the changes made in records and mode. The file is replaced only
// while it is still the one read (identity and bytes). Returns kExitOk, or
// kExitFile or kExitChanged with the reason.
int WriteSettingsFile(const SettingsFile& file, const QORVA_ZEL_Resolution& mode, std::string& reason);

} // namespace qorvazel
