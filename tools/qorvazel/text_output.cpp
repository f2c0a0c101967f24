// show, for people. Every text from the file goes through Printable.
#include "text_output.h"

#include "output_text.h"

#include <iostream>
#include <string>
#include <vector>

namespace qorvazel {

using namespace qorva_zel;

void ShowText(const SettingsFile& file)
{
    const SettingsDocument& document = file.Document;
    const StoredApplication& app = document.Application;
    std::cout << Printable(file.Path) << "\n";
    if (!file.HasSettings) {
        std::cout << "  problem      " << kNoSettingsProblem << "\n";
    }
    std::cout << "  encoding     " << EncodingName(document.Encoding)
              << (document.Encoding == FileEncoding::Utf16Le ? " (as the library writes it)\n"
                                                             : " (the next save writes UTF-16LE)\n")
              << "  application  " << Printable(app.DisplayName) << " " << Printable(app.VersionName) << " ("
              << Printable(app.Executable) << ")\n"
              << "  install      " << Printable(app.InstallPath) << "\n"
              << "  config       " << Printable(app.ConfigPath) << "\n"
              << "  command      " << Printable(app.ExecCmd) << "\n"
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
            const std::string value = ValueText(option.Record);
            std::cout << Printable(stored.Name) << " (" << TypeName(stored.Type)
                      << (option.Registered ? "" : ", unregistered") << ") = " << Printable(value);
            if (std::string(stored.Value) != value && "\"" + std::string(stored.Value) + "\"" != value) {
                std::cout << " (written \"" << Printable(stored.Value) << "\")";
            }
            std::cout << "; limits " << Printable(LimitsText(option.Record)) << "; " << option.Verdict() << "\n";
        }
        for (const Problem& problem : option.Problems) {
            std::cout << "      " << problem.Kind << ": " << Printable(problem.Message) << "\n";
        }
    }
}

} // namespace qorvazel
