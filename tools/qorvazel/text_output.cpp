// show, for people.
#include "text_output.h"

#include <iostream>
#include <string>
#include <vector>

namespace qorvazel {

using namespace qorva_zel;

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

} // namespace qorvazel
