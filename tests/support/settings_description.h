// The settings file as the readers describe it, as text: for holding the
// loader's one-pass reader to the DOM reader (tests and the fuzz target).
#pragma once

#include "settingsfile/settings_reader.h"
#include "settingsfile/settings_scanner.h"

#include <sstream>
#include <string>

namespace qorva_zel_test {

using qorva_zel::ReadOptions;
using qorva_zel::SettingsDocument;

// Everything the reader describes, one line each.
inline std::string DescribeSettings(bool read, const SettingsDocument& document)
{
    std::ostringstream out;
    out << "read " << read << '\n';
    if (!read) {
        return out.str();
    }
    const auto& app = document.Application;
    out << "app [" << app.DisplayName << "][" << app.VersionName << "][" << app.InstallPath << "]["
        << app.ConfigPath << "][" << app.Executable << "][" << app.ExecCmd << "]\n";
    const auto& resolution = document.Resolution;
    out << "resolution " << resolution.Width.value_or(0) << ' ' << resolution.Width.has_value() << ' '
        << resolution.Height.value_or(0) << ' ' << resolution.Height.has_value() << ' '
        << resolution.RefreshRate.value_or(0.0f) << ' ' << resolution.RefreshRate.has_value() << '\n';
    for (const auto& mode : document.ListedModes) {
        out << "mode [" << mode.Width << "][" << mode.Height << "][" << mode.RefreshRate << "]\n";
    }
    for (const auto& option : document.Options) {
        out << "option [" << option.Name << "] " << option.Type << " [" << option.Value << "]["
            << option.Registered << "][" << option.MinValue << "][" << option.MaxValue << "][" << option.NumSteps
            << "]";
        for (std::size_t i = 0; i < option.AllowedCount; ++i) {
            out << " [" << document.AllowedStrings[option.AllowedBegin + i] << "]";
        }
        out << '\n';
    }
    return out.str();
}

inline std::string ReadWithDom(const std::string& text)
{
    SettingsDocument document;
    ReadOptions options;
    options.KeepSource = true; // the tools' reading, always through the DOM
    const bool read = qorva_zel::ReadSettingsDocument("\xEF\xBB\xBF" + text, document, options);
    return DescribeSettings(read, document);
}

// The one-pass reading, or "" when it declines the text.
inline std::string ReadInOnePass(std::string text)
{
    SettingsDocument document;
    if (!qorva_zel::ScanSettingsText(text, document)) {
        return "";
    }
    return DescribeSettings(true, document);
}

} // namespace qorva_zel_test
