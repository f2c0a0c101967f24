// The commands that write the file: set, set-resolution.
#include "commands.h"

#include "output_text.h"

#include "registry/resolutions.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

namespace qorvazel {

using namespace qorva_zel;

namespace {

// A rewrite writes what the library reads, so it is refused where that
// would change what the file says beyond the change asked for: a file
// without the settings element, an OPTION element the library skips (it
// would be dropped), and an option whose text is not what it reads as (it
// would be written as its reading: "1,75" as 1, "On" as false). The
// options in changing are being given a new value.
bool Rewritable(const SettingsFile& file, const std::vector<OptionReport*>& changing, std::string& why)
{
    if (!file.HasSettings) {
        why = std::string(kNoSettingsProblem) + ": not written";
        return false;
    }
    for (const OptionReport& option : file.Options) {
        if (option.Stored == nullptr) {
            why = "line " + std::to_string(option.Position.Line) + " holds an OPTION the library skips (" +
                  option.Problems.front().Message + "); writing the file would drop it: mend or remove it first";
            return false;
        }
    }
    for (const OptionReport& option : file.Options) {
        if (std::string_view(option.Verdict()) == "misread" &&
            std::find(changing.begin(), changing.end(), &option) == changing.end()) {
            why = "line " + std::to_string(option.Position.Line) + ": " + option.Problems.front().Message +
                  "; writing the file would write " + ValueText(option.Record) + ": mend it first (qorvazel set)";
            return false;
        }
    }
    return true;
}

// The resolution fields the file leaves out read as "keep the game's own";
// a rewrite would write them as 0.
bool ResolutionComplete(const SettingsFile& file, std::string& why)
{
    const StoredResolution& stored = file.Document.Resolution;
    if (stored.Width && stored.Height && stored.RefreshRate) {
        return true;
    }
    why = std::string("the file's RESOLUTION ") + (stored.Width || stored.Height || stored.RefreshRate
                                                       ? "lacks Width, Height or RefreshRate"
                                                       : "is missing") +
          "; the game keeps its own for what the file leaves out, but writing the file would write 0 there: "
          "give the whole resolution first (qorvazel set-resolution)";
    return false;
}

} // namespace

int Set(const Arguments& args)
{
    int exit = kExitOk;
    const std::unique_ptr<SettingsFile> file = Open(args.Positional[0], exit);
    if (file == nullptr) {
        return exit;
    }
    const std::string& name = args.Positional[1];
    const std::string& text = args.Positional[2];
    std::string why;
    const std::vector<OptionReport*> found = Select(*file, name, args.Type, why);
    if (found.empty()) {
        return Refused(file->Path, why);
    }
    OptionRecord wanted = found.front()->Record;
    if (!ParseValue(wanted.Type, text, wanted, why)) {
        return Refused(file->Path, name + ": " + why);
    }
    for (const OptionReport* option : found) {
        OptionRecord candidate = option->Record;
        candidate.Value = wanted.Value;
        candidate.StringValue = wanted.StringValue;
        const char* kind = "";
        why = RefusalOf(candidate, kind);
        if (!why.empty()) {
            return Refused(file->Path, name + " " + ValueText(candidate) + " refused: " + why);
        }
    }
    if (!Rewritable(*file, found, why) || !ResolutionComplete(*file, why)) {
        return Refused(file->Path, why);
    }
    const std::string before = ValueText(found.front()->Record);
    for (OptionReport* option : found) {
        option->Record.Value = wanted.Value;
        option->Record.StringValue = wanted.StringValue;
    }
    if (!WriteSettingsFile(*file, CurrentMode(file->Document), why)) {
        return FileError(file->Path, why);
    }
    if (args.Verbose) {
        std::cout << Printable(file->Path) << ": " << Printable(name) << " (" << TypeName(wanted.Type) << ") "
                  << Printable(before) << " -> " << Printable(ValueText(found.front()->Record)) << "\n";
    }
    return kExitOk;
}

int SetResolution(const Arguments& args)
{
    int exit = kExitOk;
    const std::unique_ptr<SettingsFile> file = Open(args.Positional[0], exit);
    if (file == nullptr) {
        return exit;
    }
    QORVA_ZEL_Resolution mode{};
    if (!ParseMode(args.Positional[1], mode)) {
        return Usage("\"" + args.Positional[1] + "\" is not a mode such as 1920x1080@60");
    }
    const std::vector<QORVA_ZEL_Resolution> listed = ListedModes(file->Document);
    if (!IsAllowedResolution(listed, mode)) {
        std::string modes;
        for (const QORVA_ZEL_Resolution& entry : listed) {
            modes += (modes.empty() ? "" : ", ") + ModeText(entry);
        }
        return Refused(file->Path, ModeText(mode) + " refused: not a listed mode (listed: " + modes + ")");
    }
    std::string why;
    if (!Rewritable(*file, {}, why)) {
        return Refused(file->Path, why);
    }
    if (!WriteSettingsFile(*file, mode, why)) {
        return FileError(file->Path, why);
    }
    if (args.Verbose) {
        std::cout << Printable(file->Path) << ": resolution " << ModeText(CurrentMode(file->Document)) << " -> " << ModeText(mode)
                  << "\n";
    }
    return kExitOk;
}

} // namespace qorvazel
