#include "file_report.h"

#include "platform/file_io.h"
#include "registry/resolutions.h"
#include "registry/validate.h"
#include "settingsfile/format.h"
#include "settingsfile/numbers.h"
#include "settingsfile/settings_writer.h"
#include "settingsfile/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <utility>

namespace qorvazel {

using namespace qorva_zel;

namespace {

// The loader reads no file larger than this; named here only to say so.
constexpr std::uintmax_t kLargestReadableFile = std::uintmax_t{64} * 1024 * 1024;

std::filesystem::path FsPath(const std::string& utf8)
{
#ifdef _WIN32
    const std::u16string wide = FromUtf8(utf8);
    return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
#else
    return std::filesystem::path(utf8);
#endif
}

NativePath LibraryPath(const std::string& utf8)
{
    return ToNativePath(FromUtf8(utf8));
}

// Why a read the library refused failed, in words.
std::string WhyUnreadable(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(FsPath(path), error);
    if (status.type() == fs::file_type::not_found) {
        return "missing";
    }
    if (!error && status.type() != fs::file_type::regular) {
        const char* what = status.type() == fs::file_type::directory ? "a directory"
                           : status.type() == fs::file_type::fifo    ? "a FIFO"
                           : status.type() == fs::file_type::socket  ? "a socket"
                           : (status.type() == fs::file_type::character || status.type() == fs::file_type::block)
                               ? "a device"
                               : "not a file";
        return std::string("not a regular file (") + what + ")";
    }
    const std::uintmax_t size = fs::file_size(FsPath(path), error);
    if (!error && size > kLargestReadableFile) {
        return "too large (" + std::to_string(size) + " bytes; the library reads at most 64 MiB)";
    }
    return "cannot be read (no permission, or a read error)";
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

QORVA_ZEL_Variant VariantOf(const OptionRecord& record)
{
    QORVA_ZEL_Variant variant{};
    variant.Type = static_cast<QORVA_ZEL_OptionType>(record.Type);
    variant.Value = record.Value;
    if (record.Type == QORVA_ZEL_Enum) {
        variant.Value.StringValue = reinterpret_cast<const QORVA_ZEL_Char*>(record.StringValue.c_str());
    }
    return variant;
}

void Judge(OptionReport& report)
{
    const StoredOption& stored = *report.Stored;
    if (!ReadsAsWritten(stored.Type, stored.Value, report.Record.Value)) {
        report.Problems.push_back({"misread", MisreadMessage(stored.Name, stored.Value, report.Record)});
    }
    const char* kind = "";
    std::string why = RefusalOf(report.Record, kind);
    if (!why.empty()) {
        report.Problems.push_back({kind, RefusedMessage(stored.Name, report.Record, "its own", why)});
    }
}

} // namespace

const char* OptionReport::Verdict() const
{
    if (Stored == nullptr) {
        return "malformed";
    }
    for (const Problem& problem : Problems) {
        if (std::string_view(problem.Kind) == "misread") {
            return "misread";
        }
    }
    return Problems.empty() ? "fine" : "refused";
}

std::unique_ptr<SettingsFile> ReadSettingsFile(const std::string& path, std::string& reason)
{
    auto file = std::make_unique<SettingsFile>();
    file->Path = path;
    std::string bytes;
    if (ReadWholeFile(LibraryPath(path), bytes) != ReadOutcome::Ok) {
        reason = WhyUnreadable(path);
        return nullptr;
    }
    ReadOptions options;
    options.KeepSource = true;
    SettingsDocument& document = file->Document;
    if (!ReadSettingsDocument(std::move(bytes), document, options)) {
        const TextPosition at = PositionOf(document.Source, document.Error.Offset);
        reason = "not well-formed at line " + std::to_string(at.Line) + " column " + std::to_string(at.Column) + " (" +
                 document.Error.Description + ")";
        return nullptr;
    }
    // Readable and skipped options, merged back into document order.
    std::size_t skipped = 0;
    const auto addSkipped = [&](std::size_t before) {
        for (; skipped < document.Skipped.size() && document.Skipped[skipped].Before == before; ++skipped) {
            OptionReport report;
            report.Skipped = &document.Skipped[skipped];
            report.Position = PositionOf(document.Source, report.Skipped->Offset);
            report.Problems.push_back(
                {"malformed", MalformedMessage(StartTagAt(document.Source, report.Skipped->Offset), report.Skipped->Reason)});
            file->Options.push_back(std::move(report));
        }
    };
    for (std::size_t i = 0; i < document.Options.size(); ++i) {
        addSkipped(i);
        const StoredOption& stored = document.Options[i];
        OptionReport report;
        report.Stored = &stored;
        report.Record = MakeOptionRecord(stored, document, FromUtf8(stored.Name));
        report.Registered = stored.Registered == format::kTrue;
        report.Position = PositionOf(document.Source, stored.Offset);
        Judge(report);
        file->Options.push_back(std::move(report));
    }
    addSkipped(document.Options.size());
    return file;
}

std::int32_t TypeFromName(std::string_view word)
{
    const std::string lower = Lower(word);
    for (std::int32_t type = QORVA_ZEL_Integer; type <= QORVA_ZEL_Bool; ++type) {
        if (Lower(TypeName(type)) == lower) {
            return type;
        }
    }
    return -1;
}

const char* TypeName(std::int32_t type)
{
    switch (type) {
    case QORVA_ZEL_Integer:
        return format::kTypeInteger;
    case QORVA_ZEL_Float:
        return format::kTypeFloat;
    case QORVA_ZEL_Enum:
        return format::kTypeEnum;
    case QORVA_ZEL_Bool:
        return format::kTypeBool;
    default:
        return "?";
    }
}

bool ParseValue(std::int32_t type, const std::string& text, OptionRecord& into, std::string& why)
{
    QORVA_ZEL_Value value{};
    switch (type) {
    case QORVA_ZEL_Integer:
        value.IntValue = ReadInt(text);
        break;
    case QORVA_ZEL_Float:
        value.FloatValue = ReadFloat(text);
        break;
    case QORVA_ZEL_Bool:
        value.BoolValue = ReadBool(text) ? 1 : 0;
        break;
    case QORVA_ZEL_Enum:
        into.StringValue = FromUtf8(text);
        return true;
    default:
        break;
    }
    if (!ReadsAsWritten(type, text, value)) {
        OptionRecord read = into;
        read.Value = value;
        why = "\"" + text + "\" is not " + (type == QORVA_ZEL_Integer ? "an " : "a ") + TypeName(type) +
              " value (the library would read it as " + ValueText(read) + ")";
        return false;
    }
    into.Value = value;
    return true;
}

std::string RefusalOf(const OptionRecord& record, const char*& kind)
{
    return RefusalWords(record, ValidateOptionValue(record, VariantOf(record)), kind);
}

std::string ModeText(const QORVA_ZEL_Resolution& mode)
{
    return FormatUnsigned(mode.Width) + "x" + FormatUnsigned(mode.Height) + "@" + FormatFloat(mode.RefreshRate);
}

bool ParseMode(const std::string& text, QORVA_ZEL_Resolution& mode)
{
    const std::size_t x = text.find('x');
    const std::size_t at = text.find('@');
    if (x == std::string::npos || at == std::string::npos || at < x) {
        return false;
    }
    const std::string width = text.substr(0, x);
    const std::string height = text.substr(x + 1, at - x - 1);
    const auto plain = [](const std::string& digits) {
        return !digits.empty() && digits.size() <= 9 && digits.find_first_not_of("0123456789") == std::string::npos;
    };
    OptionRecord rate;
    std::string ignored;
    if (!plain(width) || !plain(height) || !ParseValue(QORVA_ZEL_Float, text.substr(at + 1), rate, ignored)) {
        return false;
    }
    mode.Width = static_cast<std::uint32_t>(ReadInt(width));
    mode.Height = static_cast<std::uint32_t>(ReadInt(height));
    mode.RefreshRate = rate.Value.FloatValue;
    return true;
}

QORVA_ZEL_Resolution CurrentMode(const SettingsDocument& document)
{
    QORVA_ZEL_Resolution mode{};
    mode.Width = document.Resolution.Width.value_or(0);
    mode.Height = document.Resolution.Height.value_or(0);
    mode.RefreshRate = document.Resolution.RefreshRate.value_or(0.0f);
    return mode;
}

std::vector<QORVA_ZEL_Resolution> ListedModes(const SettingsDocument& document)
{
    std::vector<QORVA_ZEL_Resolution> modes;
    for (const StoredMode& stored : document.ListedModes) {
        modes.push_back({static_cast<std::uint32_t>(ReadInt(stored.Width)), static_cast<std::uint32_t>(ReadInt(stored.Height)),
                         ReadFloat(stored.RefreshRate)});
    }
    return modes;
}

bool WriteSettingsFile(const SettingsFile& file, const QORVA_ZEL_Resolution& mode, std::string& reason)
{
    const SettingsDocument& document = file.Document;
    const StoredApplication& app = document.Application;
    const std::u16string strings[] = {FromUtf8(app.DisplayName), FromUtf8(app.VersionName), FromUtf8(app.InstallPath),
                                      FromUtf8(app.ConfigPath),  FromUtf8(app.Executable),  FromUtf8(app.ExecCmd)};
    const std::vector<QORVA_ZEL_Resolution> listed = ListedModes(document);
    SettingsToWrite settings;
    settings.Application = {strings[0], strings[1], strings[2], strings[3], strings[4], strings[5]};
    settings.Resolution = mode;
    settings.Listed = listed.data();
    settings.ListedCount = listed.size();
    for (const OptionReport& option : file.Options) {
        if (option.Stored != nullptr) {
            settings.Options.push_back({&option.Record, option.Registered});
        }
    }
    const std::u16string text = WriteSettingsText(settings);
    if (ReplaceFileAtomically(LibraryPath(file.Path), FileBytes(text))) {
        return true;
    }
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::perms perms = fs::status(FsPath(file.Path), error).permissions();
    if (!error && (perms & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) == fs::perms::none) {
        reason = "is read-only; the library does not replace a read-only file either";
    } else {
        reason = "could not be replaced (no permission to write it or its folder, or a write error)";
    }
    return false;
}

} // namespace qorvazel
