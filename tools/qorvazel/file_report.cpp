#include "file_report.h"

#include "platform/file_io.h"
#include "registry/resolutions.h"
#include "registry/validate.h"
#include "settingsfile/format.h"
#include "settingsfile/numbers.h"
#include "settingsfile/settings_writer.h"
#include "text/utf.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

namespace qorvazel {

using namespace qorva_zel;

namespace {

// Why a read failed, in words.
std::string WhyUnreadable(ReadOutcome outcome)
{
    switch (outcome) {
    case ReadOutcome::Missing:
        return "missing";
    case ReadOutcome::NoPermission:
        return "cannot be opened (no permission to read it)";
    case ReadOutcome::CannotOpen:
        return "cannot be opened (a loop of links, a name too long, no descriptor left...)";
    case ReadOutcome::NotRegularFile:
        return "not a regular file (a directory, a FIFO, a device or a socket)";
    case ReadOutcome::TooLarge:
        return "too large (the library reads at most " + std::to_string(kLargestReadableFile >> 20) + " MiB)";
    default:
        return "cannot be read (a read error)";
    }
}

// Why a replacement failed, in words.
std::string WhyNotReplaced(ReplaceOutcome outcome)
{
    switch (outcome) {
    case ReplaceOutcome::ReadOnly:
        return "is read-only; the library does not replace a read-only file either";
    case ReplaceOutcome::NoPermission:
        return "could not be replaced (no permission to write it or its folder)";
    case ReplaceOutcome::NoFolder:
        return "could not be replaced (its folder is missing)";
    case ReplaceOutcome::NotRegularFile:
        return "could not be replaced (not a regular file)";
    case ReplaceOutcome::Changed:
        return "changed since it was read (a game saved it meanwhile?); nothing written: run the command again";
    default:
        return "could not be replaced (a write error, or the disk is full)";
    }
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

// Line and column of offsets met in increasing order, in one pass over the
// text however many there are.
class PositionCursor {
public:
    explicit PositionCursor(std::string_view text) : text_(text) {}

    TextPosition At(std::size_t offset)
    {
        if (offset < offset_) { // not expected: start again
            offset_ = 0;
            position_ = {};
        }
        const std::size_t end = std::min(offset, text_.size());
        const TextPosition step = PositionOf(text_.substr(offset_, end - offset_), end - offset_);
        position_.Column = step.Line > 1 ? step.Column : position_.Column + step.Column - 1;
        position_.Line += step.Line - 1;
        offset_ = std::max(offset_, end);
        return position_;
    }

private:
    std::string_view text_;
    std::size_t offset_ = 0;
    TextPosition position_;
};

// No RANGE, or one that records nothing: every text empty, or 0 to 0 in 0
// steps.
bool RecordsNoLimits(const StoredOption& stored, const OptionRecord& record)
{
    if (stored.Type != QORVA_ZEL_Integer && stored.Type != QORVA_ZEL_Float) {
        return false;
    }
    if (stored.MinValue.empty() && stored.MaxValue.empty() && stored.NumSteps.empty()) {
        return true;
    }
    const bool zero = stored.Type == QORVA_ZEL_Integer
                          ? record.MinValue.IntValue == 0 && record.MaxValue.IntValue == 0
                          : record.MinValue.FloatValue == 0.0f && record.MaxValue.FloatValue == 0.0f;
    return zero && record.NumSteps == 0;
}

bool HasSettingsElement(const std::string& source)
{
    pugi::xml_document document;
    document.load_buffer(source.data(), source.size(), pugi::parse_minimal, pugi::encoding_utf8);
    return document.child(format::kRoot).child(format::kGameSettings) != nullptr;
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

// On POSIX the argument's bytes as they are: a file name may hold a
// backslash or bytes that are no UTF-8.
NativePath LibraryPath(const std::string& utf8)
{
#ifdef _WIN32
    return ToNativePath(FromUtf8(utf8));
#else
    return utf8;
#endif
}

const char kNoSettingsProblem[] =
    "no settings element (ZEL_SDK with GAMESETTINGS): the game loads nothing from this file and its next save "
    "replaces it";

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
    const ReadOutcome read = ReadWholeFile(LibraryPath(path), bytes, &file->Identity);
    if (read != ReadOutcome::Ok) {
        reason = WhyUnreadable(read);
        return nullptr;
    }
    file->Bytes = bytes;
    ReadOptions options;
    options.KeepSource = true;
    SettingsDocument& document = file->Document;
    if (!ReadSettingsDocument(std::move(bytes), document, options)) {
        const TextPosition at = PositionOf(document.Source, document.Error.Offset);
        reason = "not well-formed at line " + std::to_string(at.Line) + " column " + std::to_string(at.Column) + " (" +
                 document.Error.Description + ")";
        return nullptr;
    }
    file->HasSettings = HasSettingsElement(document.Source);
    // Readable and skipped options, merged back into document order.
    PositionCursor positions(document.Source);
    std::size_t skipped = 0;
    const auto addSkipped = [&](std::size_t before) {
        for (; skipped < document.Skipped.size() && document.Skipped[skipped].Before == before; ++skipped) {
            OptionReport report;
            report.Skipped = &document.Skipped[skipped];
            report.Position = positions.At(report.Skipped->Offset);
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
        report.NoLimits = RecordsNoLimits(stored, report.Record);
        if (report.NoLimits) {
            report.Record.NumSteps = -1;
        }
        report.Position = positions.At(stored.Offset);
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
    return RefusalWords(record, ValidateOptionValue(record, {record.Type, record.Value, record.StringValue}), kind);
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

int WriteSettingsFile(const SettingsFile& file, const QORVA_ZEL_Resolution& mode, std::string& reason)
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
    // An option without limits is written with the 0 to 0 in 0 steps it
    // reads as; the others as their records hold them.
    std::vector<OptionRecord> unlimited;
    for (const OptionReport& option : file.Options) {
        if (option.Stored != nullptr && option.NoLimits) {
            unlimited.push_back(option.Record);
            unlimited.back().NumSteps = 0;
        }
    }
    std::size_t next = 0;
    for (const OptionReport& option : file.Options) {
        if (option.Stored != nullptr) {
            settings.Options.push_back({option.NoLimits ? &unlimited[next++] : &option.Record, option.Registered});
        }
    }
    const std::u16string text = WriteSettingsText(settings);
    // A game that saved the file since it was read keeps its save.
    const ExpectedFile expected{file.Identity, file.Bytes};
    const ReplaceOutcome outcome = ReplaceFileAtomically(LibraryPath(file.Path), FileBytes(text), &expected);
    if (outcome == ReplaceOutcome::Ok) {
        return kExitOk;
    }
    reason = WhyNotReplaced(outcome);
    return outcome == ReplaceOutcome::Changed ? kExitChanged : kExitFile;
}

} // namespace qorvazel
