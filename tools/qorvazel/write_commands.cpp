// The commands that write the file: set, set-resolution.
#include "commands.h"

#include "registry/resolutions.h"

#include <iostream>
#include <string>
#include <vector>

namespace qorvazel {

using namespace qorva_zel;

namespace {

// A rewrite keeps only what the library reads: refused when the file holds
// OPTION elements the library skips, which it would drop.
bool Rewritable(const SettingsFile& file, std::string& why)
{
    for (const OptionReport& option : file.Options) {
        if (option.Stored == nullptr) {
            why = "line " + std::to_string(option.Position.Line) + " holds an OPTION the library skips (" +
                  option.Problems.front().Message + "); writing the file would drop it: mend or remove it first";
            return false;
        }
    }
    return true;
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
    if (!Rewritable(*file, why)) {
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
        std::cout << file->Path << ": " << name << " (" << TypeName(wanted.Type) << ") " << before << " -> "
                  << ValueText(found.front()->Record) << "\n";
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
    if (!Rewritable(*file, why)) {
        return Refused(file->Path, why);
    }
    if (!WriteSettingsFile(*file, mode, why)) {
        return FileError(file->Path, why);
    }
    if (args.Verbose) {
        std::cout << file->Path << ": resolution " << ModeText(CurrentMode(file->Document)) << " -> " << ModeText(mode)
                  << "\n";
    }
    return kExitOk;
}

} // namespace qorvazel
