// The commands that only read the file: show, check, get, dump.
#include "commands.h"

#include "json_output.h"
#include "output_text.h"
#include "text_output.h"

#include "platform/file_io.h"
#include "settingsfile/encoding.h"
#include "text/utf.h"

#include <iostream>
#include <string>
#include <vector>

namespace qorvazel {

using namespace qorva_zel;

int FileError(const std::string& path, const std::string& reason)
{
    std::cerr << "qorvazel: " << Printable(path) << ": " << Printable(reason) << "\n";
    return kExitFile;
}

int Refused(const std::string& path, const std::string& reason)
{
    std::cerr << "qorvazel: " << Printable(path) << ": " << Printable(reason) << "\n";
    return kExitProblems;
}

std::unique_ptr<SettingsFile> Open(const std::string& path, int& exit)
{
    std::string reason;
    std::unique_ptr<SettingsFile> file = ReadSettingsFile(path, reason);
    if (file == nullptr) {
        exit = FileError(path, reason);
    }
    return file;
}

std::vector<OptionReport*> Select(SettingsFile& file, const std::string& name, const std::string& typeWord,
                                  std::string& why)
{
    std::int32_t type = -1;
    if (!typeWord.empty()) {
        type = TypeFromName(typeWord);
    }
    std::vector<OptionReport*> found;
    std::string types;
    for (OptionReport& option : file.Options) {
        if (option.Stored == nullptr || option.Stored->Name != name) {
            continue;
        }
        const std::string typeName = TypeName(option.Stored->Type);
        if (types.find(typeName) == std::string::npos) {
            types += (types.empty() ? "" : ", ") + typeName;
        }
        if (type < 0 || option.Stored->Type == type) {
            found.push_back(&option);
        }
    }
    if (found.empty()) {
        why = types.empty() ? "no option \"" + name + "\""
                            : "no " + typeWord + " option \"" + name + "\" (its types: " + types + ")";
    } else if (type < 0 && types.find(',') != std::string::npos) {
        why = "\"" + name + "\" names options of the types " + types + ": say which with --type";
        found.clear();
    }
    return found;
}

int Show(const Arguments& args)
{
    int exit = kExitOk;
    const std::unique_ptr<SettingsFile> file = Open(args.Positional[0], exit);
    if (file == nullptr) {
        return exit;
    }
    if (args.Json) {
        ShowJson(*file);
    } else {
        ShowText(*file);
    }
    return kExitOk;
}

int Check(const Arguments& args)
{
    int exit = kExitOk;
    const std::unique_ptr<SettingsFile> file = Open(args.Positional[0], exit);
    if (file == nullptr) {
        return exit;
    }
    const std::string path = Printable(file->Path);
    std::size_t problems = 0;
    if (!file->HasSettings) {
        std::cout << path << ":1:1: no-settings: " << kNoSettingsProblem << "\n";
        ++problems;
    }
    for (const OptionReport& option : file->Options) {
        for (const Problem& problem : option.Problems) {
            std::cout << path << ":" << option.Position.Line << ":" << option.Position.Column << ": " << problem.Kind
                      << ": " << Printable(problem.Message) << "\n";
            ++problems;
        }
    }
    // Only the problems: a clean file prints nothing (its exit code says
    // so), but with -v.
    if (problems == 0 && args.Verbose) {
        std::cout << path << ": no problems (" << file->Options.size() << " options)\n";
    }
    return problems == 0 ? kExitOk : kExitProblems;
}

int Get(const Arguments& args)
{
    int exit = kExitOk;
    const std::unique_ptr<SettingsFile> file = Open(args.Positional[0], exit);
    if (file == nullptr) {
        return exit;
    }
    std::string why;
    const std::vector<OptionReport*> found = Select(*file, args.Positional[1], args.Type, why);
    if (found.empty()) {
        return Refused(file->Path, why);
    }
    const OptionReport& option = *found.front();
    std::cout << Printable(option.Record.Type == QORVA_ZEL_Enum ? ToUtf8(option.Record.StringValue)
                                                                : ValueText(option.Record))
              << "\n";
    if (args.Verbose) {
        std::cout << "type " << TypeName(option.Record.Type) << "; limits " << Printable(LimitsText(option.Record))
                  << "; " << option.Verdict() << "\n";
        for (const Problem& problem : option.Problems) {
            std::cout << problem.Kind << ": " << Printable(problem.Message) << "\n";
        }
    }
    return kExitOk;
}


namespace {

// The declaration names the file's encoding; the dump is UTF-8.
std::string AsUtf8Declared(std::string text)
{
    if (text.compare(0, 5, "<?xml") != 0) {
        return text;
    }
    const std::size_t end = text.find("?>");
    const std::size_t encoding = text.find("encoding=", 0);
    if (end == std::string::npos || encoding == std::string::npos || encoding > end || encoding + 10 > end) {
        return text;
    }
    const char quote = text[encoding + 9];
    const std::size_t close = text.find(quote, encoding + 10);
    if ((quote != '"' && quote != '\'') || close == std::string::npos || close > end) {
        return text;
    }
    return text.replace(encoding + 10, close - encoding - 10, "UTF-8");
}

} // namespace

int Dump(const Arguments& args)
{
    const std::string& path = args.Positional[0];
    int exit = kExitOk;
    std::string reason;
    const std::unique_ptr<SettingsFile> file = ReadSettingsFile(path, reason);
    if (file == nullptr && reason.compare(0, 15, "not well-formed") != 0) {
        return FileError(path, reason);
    }
    if (file == nullptr) {
        // Printed all the same: that is what a support ticket needs.
        std::string bytes;
        if (ReadWholeFile(LibraryPath(path), bytes) == ReadOutcome::Ok) {
            std::string text;
            DecodeFileBytes(bytes, DetectEncoding(bytes), text);
            std::cout << DumpSafe(AsUtf8Declared(text));
        }
        exit = FileError(path, reason);
    } else {
        std::cout << DumpSafe(AsUtf8Declared(file->Document.Source));
    }
    std::cout.flush();
    return exit;
}

} // namespace qorvazel
