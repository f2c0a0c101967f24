// qorvazel: reads, checks and changes a settings file without the game.
#include "file_report.h"

#include "platform/file_io.h"
#include "registry/resolutions.h"
#include "settingsfile/encoding.h"
#include "settingsfile/numbers.h"
#include "text/utf.h"

#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#endif

namespace qorvazel {
namespace {

using namespace qorva_zel;

const char kToolHelp[] =
    "usage: qorvazel COMMAND [OPTIONS] FILE [ARGUMENTS]\n"
    "\n"
    "Reads, checks and changes a game's settings file (GFXSettings.<game>.xml)\n"
    "with the library's own reading, validation and writing.\n"
    "\n"
    "commands:\n"
    "  show FILE [--json]              the resolution and every option, with verdicts\n"
    "  check FILE                      only the problems; exit 1 when there are any\n"
    "  get FILE NAME [--type TYPE]     the value of one option, as the library reads it\n"
    "  set FILE NAME VALUE [--type TYPE]\n"
    "                                  changes one option, within the limits the file records\n"
    "  set-resolution FILE WxH@RATE    changes the resolution, e.g. 1920x1080@59.94\n"
    "  dump FILE                       the file as UTF-8 XML on standard output\n"
    "  help [COMMAND]                  this text, or a command's\n"
    "\n"
    "options: -v/--verbose (say what set and set-resolution did), -h/--help, --version\n"
    "exit codes: 0 done, no problems; 1 problems found or the request refused;\n"
    "            2 the file cannot be read, is not well-formed or cannot be written;\n"
    "            3 wrong command line\n";

struct CommandHelp {
    const char* Name;
    const char* Text;
};

const CommandHelp kCommandHelp[] = {
    {"show", "usage: qorvazel show FILE [--json]\n"
             "\n"
             "Prints the file's encoding, application strings, resolution and listed modes,\n"
             "and every OPTION element: name, type, the text the file holds, the value the\n"
             "library reads from it, its limits as the file records them, whether the game\n"
             "registered it, and a verdict: fine, misread (the text is not what it reads as),\n"
             "refused (its own limits refuse it: the game keeps its value) or malformed\n"
             "(skipped by the library). --json prints the same as one JSON object (its shape\n"
             "is described in docs/settings-file.md).\n"},
    {"check", "usage: qorvazel check FILE\n"
              "\n"
              "Prints each problem as FILE:LINE:COLUMN: message. Exit 0 when there is none,\n"
              "1 when there are, 2 when the file cannot be read (missing, not a regular file,\n"
              "too large, not well-formed).\n"},
    {"get", "usage: qorvazel get FILE NAME [--type Integer|Float|Enum|Bool]\n"
            "\n"
            "Prints the value of option NAME as the library reads it (\"false\" for a Bool\n"
            "written \"On\"). --type picks one of two options that share the name. With -v\n"
            "also its type, limits and verdict.\n"},
    {"set", "usage: qorvazel set FILE NAME VALUE [--type Integer|Float|Enum|Bool]\n"
            "\n"
            "Sets option NAME to VALUE when the limits the file records allow it, and\n"
            "writes the file as the library does (atomically, UTF-16LE). VALUE must read\n"
            "as written: 1.5 for a Float, true/false/yes/no/1/0 for a Bool, an allowed\n"
            "string for an Enum. Refused with the reason: out of range, off step, not\n"
            "allowed, a read-only file. Every option with that name and type is set.\n"
            "Prints nothing unless -v.\n"},
    {"set-resolution", "usage: qorvazel set-resolution FILE WIDTHxHEIGHT@RATE\n"
                       "\n"
                       "Sets the resolution, e.g. 1920x1080@59.94. When the file lists modes it must be\n"
                       "one of them. Writes the file as set does; prints nothing unless -v.\n"},
    {"dump", "usage: qorvazel dump FILE\n"
             "\n"
             "Prints the file's text as UTF-8 XML (its declaration saying so), whatever the\n"
             "file's own encoding: for grep, diff and support tickets. A file that is not\n"
             "well-formed is printed too, and the command then exits with 2.\n"},
};

const char* HelpOf(std::string_view command)
{
    for (const CommandHelp& help : kCommandHelp) {
        if (command == help.Name) {
            return help.Text;
        }
    }
    return nullptr;
}

// The command line once options are taken out.
struct Arguments {
    std::string Command;
    std::vector<std::string> Positional;
    bool Verbose = false;
    bool Json = false;
    bool Help = false;
    std::string Type;
};

int Usage(const std::string& message)
{
    std::cerr << "qorvazel: " << message << "\nTry 'qorvazel --help'.\n";
    return kExitUsage;
}

// "-5" and "-.5" are values, not options.
bool LooksLikeOption(const std::string& argument)
{
    return argument.size() > 1 && argument[0] == '-' && !(argument[1] >= '0' && argument[1] <= '9') &&
           argument[1] != '.';
}

int FileError(const std::string& path, const std::string& reason)
{
    std::cerr << "qorvazel: " << path << ": " << reason << "\n";
    return kExitFile;
}

int Refused(const std::string& path, const std::string& reason)
{
    std::cerr << "qorvazel: " << path << ": " << reason << "\n";
    return kExitProblems;
}

// ---- JSON ------------------------------------------------------------------

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

// A float as a JSON number; "inf", "-inf" and "nan" as strings.
std::string JsonFloat(float value)
{
    return std::isfinite(value) ? FormatFloat(value) : JsonString(FormatFloat(value));
}

std::string JsonMode(const QORVA_ZEL_Resolution& mode)
{
    return "{\"width\": " + FormatUnsigned(mode.Width) + ", \"height\": " + FormatUnsigned(mode.Height) +
           ", \"refreshRate\": " + JsonFloat(mode.RefreshRate) + "}";
}

std::string JsonValue(const OptionRecord& record)
{
    switch (record.Type) {
    case QORVA_ZEL_Integer:
        return FormatInt(record.Value.IntValue);
    case QORVA_ZEL_Float:
        return JsonFloat(record.Value.FloatValue);
    case QORVA_ZEL_Enum:
        return JsonString(ToUtf8(record.StringValue));
    default:
        return record.Value.BoolValue != 0 ? "true" : "false";
    }
}

std::string JsonLimits(const OptionRecord& record)
{
    switch (record.Type) {
    case QORVA_ZEL_Integer:
        return "{\"min\": " + FormatInt(record.MinValue.IntValue) + ", \"max\": " + FormatInt(record.MaxValue.IntValue) +
               ", \"steps\": " + FormatInt(record.NumSteps) + "}";
    case QORVA_ZEL_Float:
        return "{\"min\": " + JsonFloat(record.MinValue.FloatValue) + ", \"max\": " +
               JsonFloat(record.MaxValue.FloatValue) + ", \"steps\": " + FormatInt(record.NumSteps) + "}";
    case QORVA_ZEL_Enum: {
        std::string list;
        for (const std::u16string& allowed : record.Values) {
            list += (list.empty() ? "" : ", ") + JsonString(ToUtf8(allowed));
        }
        return "{\"allowed\": [" + list + "]}";
    }
    default:
        return "null";
    }
}

void ShowJson(const SettingsFile& file)
{
    const SettingsDocument& document = file.Document;
    const StoredApplication& app = document.Application;
    std::string out = "{\n  \"file\": " + JsonString(file.Path) + ",\n  \"encoding\": " +
                      JsonString(EncodingName(document.Encoding)) + ",\n  \"application\": {\"DisplayName\": " +
                      JsonString(app.DisplayName) + ", \"VersionName\": " + JsonString(app.VersionName) +
                      ", \"InstallPath\": " + JsonString(app.InstallPath) + ", \"ConfigPath\": " +
                      JsonString(app.ConfigPath) + ", \"Executable\": " + JsonString(app.Executable) +
                      ", \"ExecCmd\": " + JsonString(app.ExecCmd) + "},\n  \"resolution\": " +
                      JsonMode(CurrentMode(document)) + ",\n  \"listedModes\": [";
    const std::vector<QORVA_ZEL_Resolution> listed = ListedModes(document);
    for (std::size_t i = 0; i < listed.size(); ++i) {
        out += (i == 0 ? "" : ", ") + JsonMode(listed[i]);
    }
    out += "],\n  \"options\": [";
    std::size_t problems = 0;
    for (std::size_t i = 0; i < file.Options.size(); ++i) {
        const OptionReport& option = file.Options[i];
        const std::size_t offset = option.Stored != nullptr ? option.Stored->Offset : option.Skipped->Offset;
        out += i == 0 ? "\n    {" : ",\n    {";
        if (option.Stored != nullptr) {
            out += "\"name\": " + JsonString(option.Stored->Name) + ", \"type\": " +
                   JsonString(TypeName(option.Stored->Type)) + ", \"text\": " + JsonString(option.Stored->Value) +
                   ", \"value\": " + JsonValue(option.Record) + ", \"registered\": " +
                   (option.Registered ? "true" : "false") + ", \"limits\": " + JsonLimits(option.Record);
        } else {
            const std::string_view name = option.Skipped->Name;
            out += "\"name\": " + (name.empty() ? std::string("null") : JsonString(name)) +
                   ", \"type\": null, \"text\": null, \"value\": null, \"registered\": null, \"limits\": null";
        }
        out += ", \"line\": " + std::to_string(option.Position.Line) + ", \"column\": " +
               std::to_string(option.Position.Column) + ", \"source\": " +
               JsonString(StartTagAt(document.Source, offset)) + ", \"verdict\": " + JsonString(option.Verdict()) +
               ", \"problems\": [";
        for (std::size_t k = 0; k < option.Problems.size(); ++k) {
            out += (k == 0 ? "{\"kind\": " : ", {\"kind\": ") + JsonString(option.Problems[k].Kind) +
                   ", \"message\": " + JsonString(option.Problems[k].Message) + "}";
        }
        out += "]}";
        problems += option.Problems.empty() ? 0 : 1;
    }
    out += file.Options.empty() ? "],\n" : "\n  ],\n";
    out += "  \"problems\": " + std::to_string(problems) + "\n}\n";
    std::cout << out;
}

// ---- Text --------------------------------------------------------------------

void ShowText(const SettingsFile& file)
{
    const SettingsDocument& document = file.Document;
    const StoredApplication& app = document.Application;
    std::cout << file.Path << "\n"
              << "  encoding     " << EncodingName(document.Encoding)
              << (document.Encoding == FileEncoding::Utf16Le ? " (as the library writes it)\n"
                                                             : " (the next save writes UTF-16LE)\n")
              << "  application  " << app.DisplayName << " " << app.VersionName << " (" << app.Executable << ")\n"
              << "  install      " << app.InstallPath << "\n"
              << "  config       " << app.ConfigPath << "\n"
              << "  command      " << app.ExecCmd << "\n"
              << "  resolution   " << ModeText(CurrentMode(document)) << "\n"
              << "  listed       ";
    const std::vector<QORVA_ZEL_Resolution> listed = ListedModes(document);
    for (std::size_t i = 0; i < listed.size(); ++i) {
        std::cout << (i == 0 ? "" : ", ") << ModeText(listed[i]);
    }
    std::cout << (listed.empty() ? "none (any resolution)\n" : "\n");
    std::cout << "options (" << file.Options.size() << "):\n";
    for (const OptionReport& option : file.Options) {
        std::cout << "  line " << option.Position.Line << ": ";
        if (option.Stored == nullptr) {
            std::cout << "malformed\n";
        } else {
            const StoredOption& stored = *option.Stored;
            std::cout << stored.Name << " (" << TypeName(stored.Type) << (option.Registered ? "" : ", unregistered")
                      << ") = " << ValueText(option.Record);
            if (std::string(stored.Value) != ValueText(option.Record) &&
                "\"" + std::string(stored.Value) + "\"" != ValueText(option.Record)) {
                std::cout << " (written \"" << stored.Value << "\")";
            }
            std::cout << "; limits " << LimitsText(option.Record) << "; " << option.Verdict() << "\n";
        }
        for (const Problem& problem : option.Problems) {
            std::cout << "      " << problem.Kind << ": " << problem.Message << "\n";
        }
    }
}

// ---- Commands ----------------------------------------------------------------

std::unique_ptr<SettingsFile> Open(const std::string& path, int& exit)
{
    std::string reason;
    std::unique_ptr<SettingsFile> file = ReadSettingsFile(path, reason);
    if (file == nullptr) {
        exit = FileError(path, reason);
    }
    return file;
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
    std::size_t problems = 0;
    for (const OptionReport& option : file->Options) {
        for (const Problem& problem : option.Problems) {
            std::cout << file->Path << ":" << option.Position.Line << ":" << option.Position.Column << ": "
                      << problem.Kind << ": " << problem.Message << "\n";
            ++problems;
        }
    }
    if (problems == 0) {
        std::cout << file->Path << ": no problems (" << file->Options.size() << " options)\n";
        return kExitOk;
    }
    return kExitProblems;
}

// The options called name (of the type asked for, if any); sets why when
// there is none or the choice is ambiguous.
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
    std::cout << (option.Record.Type == QORVA_ZEL_Enum ? ToUtf8(option.Record.StringValue) : ValueText(option.Record))
              << "\n";
    if (args.Verbose) {
        std::cout << "type " << TypeName(option.Record.Type) << "; limits " << LimitsText(option.Record) << "; "
                  << option.Verdict() << "\n";
        for (const Problem& problem : option.Problems) {
            std::cout << problem.Kind << ": " << problem.Message << "\n";
        }
    }
    return kExitOk;
}

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
        if (ReadWholeFile(ToNativePath(FromUtf8(path)), bytes) == ReadOutcome::Ok) {
            std::cout << AsUtf8Declared(DecodeFileBytes(bytes, DetectEncoding(bytes)));
        }
        exit = FileError(path, reason);
    } else {
        std::cout << AsUtf8Declared(file->Document.Source);
    }
    std::cout.flush();
    return exit;
}

struct Command {
    const char* Name;
    std::size_t Positional; // arguments, FILE included
    int (*Run)(const Arguments&);
};

const Command kCommands[] = {
    {"show", 1, Show}, {"check", 1, Check}, {"get", 2, Get}, {"set", 3, Set}, {"set-resolution", 2, SetResolution},
    {"dump", 1, Dump},
};

int Run(const std::vector<std::string>& argv)
{
    Arguments args;
    bool optionsEnd = false;
    for (std::size_t i = 1; i < argv.size(); ++i) {
        const std::string& argument = argv[i];
        if (optionsEnd || !LooksLikeOption(argument)) {
            if (args.Command.empty()) {
                args.Command = argument;
            } else {
                args.Positional.push_back(argument);
            }
        } else if (argument == "--") {
            optionsEnd = true;
        } else if (argument == "-v" || argument == "--verbose") {
            args.Verbose = true;
        } else if (argument == "-h" || argument == "--help") {
            args.Help = true;
        } else if (argument == "--json") {
            args.Json = true;
        } else if (argument == "--version") {
            std::cout << "qorvazel " << QORVA_ZEL_VERSION_MAJOR << "." << QORVA_ZEL_VERSION_MINOR << "."
                      << QORVA_ZEL_VERSION_BUILD << "." << QORVA_ZEL_VERSION_REVISION << "\n";
            return kExitOk;
        } else if (argument == "--type" || argument.compare(0, 7, "--type=") == 0) {
            if (argument == "--type") {
                if (++i == argv.size()) {
                    return Usage("--type needs Integer, Float, Enum or Bool");
                }
                args.Type = argv[i];
            } else {
                args.Type = argument.substr(7);
            }
            if (TypeFromName(args.Type) < 0) {
                return Usage("--type " + args.Type + ": not Integer, Float, Enum or Bool");
            }
        } else {
            return Usage("unknown option " + argument);
        }
    }
    if (args.Command.empty() || args.Command == "help") {
        const char* help = args.Positional.empty() ? kToolHelp : HelpOf(args.Positional[0]);
        if (help == nullptr) {
            return Usage("no command " + args.Positional[0]);
        }
        std::cout << help;
        return args.Command.empty() && !args.Help ? kExitUsage : kExitOk;
    }
    for (const Command& command : kCommands) {
        if (args.Command != command.Name) {
            continue;
        }
        if (args.Help) {
            std::cout << HelpOf(command.Name);
            return kExitOk;
        }
        if (args.Positional.size() != command.Positional) {
            std::cerr << HelpOf(command.Name);
            return kExitUsage;
        }
        if (args.Json && args.Command != "show") {
            return Usage("--json is for show");
        }
        if (!args.Type.empty() && args.Command != "get" && args.Command != "set") {
            return Usage("--type is for get and set");
        }
        return command.Run(args);
    }
    return Usage("no command " + args.Command);
}

} // namespace
} // namespace qorvazel

#ifdef _WIN32
int main()
{
    // The command line in UTF-16, whatever the code page; everything inside
    // is UTF-8. Output is binary, so that a dump holds LF line ends only.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> argv;
    for (int i = 0; wide != nullptr && i < count; ++i) {
        const std::wstring_view argument(wide[i]);
        argv.push_back(qorva_zel::ToUtf8(std::u16string(argument.begin(), argument.end())));
    }
    LocalFree(wide);
    _setmode(_fileno(stdout), _O_BINARY);
    try {
        return qorvazel::Run(argv);
    } catch (const std::exception& error) {
        std::cerr << "qorvazel: " << error.what() << "\n";
        return qorvazel::kExitFile;
    }
}
#else
int main(int argc, char** argv)
{
    try {
        return qorvazel::Run(std::vector<std::string>(argv, argv + argc));
    } catch (const std::exception& error) {
        std::cerr << "qorvazel: " << error.what() << "\n";
        return qorvazel::kExitFile;
    }
}
#endif
