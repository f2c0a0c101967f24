#include "settingsfile/settings_reader.h"

#include "qorva_zel.h"
#include "settingsfile/format.h"
#include "settingsfile/numbers.h"
#include "settingsfile/settings_scanner.h"
#include "text/utf.h"

#include <algorithm>
#include <utility>

namespace qorva_zel {
namespace {

// Parse results that mean the text is not well-formed (or could not be
// parsed at all). Every other result loads what it finds.
bool IsParseFailure(pugi::xml_parse_status status)
{
    switch (status) {
    case pugi::status_io_error:
    case pugi::status_out_of_memory:
    case pugi::status_internal_error:
    case pugi::status_unrecognized_tag:
    case pugi::status_bad_pi:
    case pugi::status_bad_comment:
    case pugi::status_bad_cdata:
    case pugi::status_bad_doctype:
    case pugi::status_bad_pcdata:
    case pugi::status_bad_start_element:
    case pugi::status_bad_attribute:
    case pugi::status_bad_end_element:
    case pugi::status_end_element_mismatch:
        return true;
    default:
        return false;
    }
}

std::optional<std::int32_t> TypeFromWord(const char* word)
{
    if (format::NameIs(word, format::kTypeInteger)) {
        return QORVA_ZEL_Integer;
    }
    if (format::NameIs(word, format::kTypeFloat)) {
        return QORVA_ZEL_Float;
    }
    if (format::NameIs(word, format::kTypeEnum)) {
        return QORVA_ZEL_Enum;
    }
    if (format::NameIs(word, format::kTypeBool)) {
        return QORVA_ZEL_Bool;
    }
    return std::nullopt;
}

// A "RESOLUTION" element, attribute by attribute: each one overrides what
// earlier ones said. Its "ENUM" children are the listed modes.
void ReadResolution(const pugi::xml_node& element, StoredResolution& stored, std::vector<StoredMode>& listed)
{
    for (const pugi::xml_node& mode : element.children(format::kEnum)) {
        listed.push_back({mode.attribute(format::kWidth).value(), mode.attribute(format::kHeight).value(),
                          mode.attribute(format::kRefreshRate).value()});
    }
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute; attribute = attribute.next_attribute()) {
        if (format::NameIs(attribute.name(), format::kWidth)) {
            stored.Width = static_cast<std::uint32_t>(ReadInt(attribute.value()));
        } else if (format::NameIs(attribute.name(), format::kHeight)) {
            stored.Height = static_cast<std::uint32_t>(ReadInt(attribute.value()));
        } else if (format::NameIs(attribute.name(), format::kRefreshRate)) {
            stored.RefreshRate = ReadFloat(attribute.value());
        }
    }
}

// What pugixml's attribute(name).value() gives (the first attribute of the
// name, "" without one), with the names compared inline.
template <std::size_t N>
const char* AttributeValue(const pugi::xml_node& element, const char (&name)[N])
{
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute; attribute = attribute.next_attribute()) {
        if (format::NameIs(attribute.name(), name)) {
            return attribute.value();
        }
    }
    return "";
}

// An "OPTION" element. A "Value" counts only when it comes after the "Type"
// it is read under: a later "Type" with another word drops it.
bool ReadOption(const pugi::xml_node& element, SettingsDocument& document, StoredOption& option, SkipReason& reason)
{
    bool hasName = false;
    std::optional<std::int32_t> type;
    bool hasValue = false;
    // first_attribute() and next_attribute(), not attributes(): the range's
    // iterators cost more than the rest of the reading.
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute; attribute = attribute.next_attribute()) {
        const char* name = attribute.name();
        if (format::NameIs(name, format::kName)) {
            option.Name = attribute.value();
            hasName = true;
        } else if (format::NameIs(name, format::kType)) {
            const std::optional<std::int32_t> word = TypeFromWord(attribute.value());
            if (word && word != type) {
                type = word;
                hasValue = false;
            }
        } else if (format::NameIs(name, format::kValue) && type) {
            option.Value = attribute.value();
            hasValue = true;
        } else if (format::NameIs(name, format::kRegistered)) {
            option.Registered = attribute.value();
        }
    }
    if (!hasName || !type || !hasValue) {
        reason = !hasName ? SkipReason::NoName : !type ? SkipReason::NoType : SkipReason::NoValue;
        return false;
    }
    option.Type = *type;
    if (option.Type == QORVA_ZEL_Enum) {
        option.AllowedBegin = document.AllowedStrings.size();
        for (pugi::xml_node entry = element.first_child(); entry; entry = entry.next_sibling()) {
            if (format::NameIs(entry.name(), format::kEnum)) { // as children(name): any node of the name
                document.AllowedStrings.emplace_back(AttributeValue(entry, format::kEnumValue));
            }
        }
        option.AllowedCount = document.AllowedStrings.size() - option.AllowedBegin;
    } else if (option.Type == QORVA_ZEL_Integer || option.Type == QORVA_ZEL_Float) {
        // The first "RANGE" child; of its attributes, the first of each name.
        pugi::xml_node range = element.first_child();
        while (range && !format::NameIs(range.name(), format::kRange)) {
            range = range.next_sibling();
        }
        option.MinValue = option.MaxValue = option.NumSteps = "";
        bool hasMin = false;
        bool hasMax = false;
        bool hasSteps = false;
        for (pugi::xml_attribute attribute = range.first_attribute(); attribute;
             attribute = attribute.next_attribute()) {
            const char* name = attribute.name();
            if (!hasMin && format::NameIs(name, format::kMinValue)) {
                option.MinValue = attribute.value();
                hasMin = true;
            } else if (!hasMax && format::NameIs(name, format::kMaxValue)) {
                option.MaxValue = attribute.value();
                hasMax = true;
            } else if (!hasSteps && format::NameIs(name, format::kNumSteps)) {
                option.NumSteps = attribute.value();
                hasSteps = true;
            }
        }
    }
    return true;
}

// How many "<OPTION" the text holds, at least as many as it has options: a
// large file's list gets its size at once instead of growing by doubling.
std::size_t CountOptionTags(std::string_view text)
{
    constexpr std::string_view kTag = "<OPTION";
    std::size_t count = 0;
    for (std::size_t at = text.find(kTag); at != std::string_view::npos; at = text.find(kTag, at + kTag.size())) {
        ++count;
    }
    return count;
}

} // namespace

QORVA_ZEL_Value ReadStoredValue(const StoredOption& option) noexcept
{
    QORVA_ZEL_Value value{};
    switch (option.Type) {
    case QORVA_ZEL_Integer:
        value.IntValue = ReadInt(option.Value);
        break;
    case QORVA_ZEL_Float:
        value.FloatValue = ReadFloat(option.Value);
        break;
    case QORVA_ZEL_Bool:
        value.BoolValue = ReadBool(option.Value) ? 1 : 0;
        break;
    default:
        break;
    }
    return value;
}

OptionRecord MakeOptionRecord(const StoredOption& option, const SettingsDocument& document, std::u16string name)
{
    OptionRecord record;
    record.Name = std::move(name);
    record.Type = option.Type;
    record.Value = ReadStoredValue(option);
    switch (option.Type) {
    case QORVA_ZEL_Integer:
        record.MinValue.IntValue = ReadInt(option.MinValue);
        record.MaxValue.IntValue = ReadInt(option.MaxValue);
        record.NumSteps = ReadInt(option.NumSteps);
        break;
    case QORVA_ZEL_Float:
        record.MinValue.FloatValue = ReadFloat(option.MinValue);
        record.MaxValue.FloatValue = ReadFloat(option.MaxValue);
        record.NumSteps = ReadInt(option.NumSteps);
        break;
    case QORVA_ZEL_Enum:
        record.StringValue = FromUtf8(option.Value);
        record.Values.reserve(option.AllowedCount);
        for (std::size_t i = 0; i < option.AllowedCount; ++i) {
            record.Values.push_back(FromUtf8(document.AllowedStrings[option.AllowedBegin + i]));
        }
        break;
    default:
        break;
    }
    return record;
}

void SettingsDocument::Release() noexcept
{
    document_.reset();
    Encoding = FileEncoding::Utf16Le;
    Application = {};
    Resolution = {};
    Error = {};
    std::vector<StoredMode>().swap(ListedModes);
    std::vector<StoredOption>().swap(Options);
    std::vector<std::string_view>().swap(AllowedStrings);
    std::string().swap(Source);
    std::vector<SkippedOption>().swap(Skipped);
    std::string().swap(text_);
}

void SettingsDocument::ClearDescription() noexcept
{
    Application = {};
    Resolution = {};
    ListedModes.clear();
    Options.clear();
    AllowedStrings.clear();
    Source.clear();
    Skipped.clear();
}

void SettingsDocument::GiveBackText(std::string& buffer) noexcept
{
    ClearDescription();
    text_.swap(buffer);
}

std::size_t SettingsDocument::HeldBytes() const noexcept
{
    return text_.capacity() + Source.capacity() + ListedModes.capacity() * sizeof(StoredMode) +
           Options.capacity() * sizeof(StoredOption) + AllowedStrings.capacity() * sizeof(std::string_view) +
           Skipped.capacity() * sizeof(SkippedOption);
}

bool ReadSettingsDocument(std::string bytes, SettingsDocument& out, const ReadOptions& options)
{
    return ReadSettingsBuffer(bytes, out, options);
}

bool ReadSettingsBuffer(std::string& buffer, SettingsDocument& out, const ReadOptions& options)
{
    // Whatever an earlier read left; the lists keep their memory.
    out.ClearDescription();
    out.Error = {};

    // References are decoded (so every string the writer escapes comes back
    // unchanged); line ends and white space in values are kept as they stand.
    out.Encoding = DetectEncoding(buffer);
    if (!IsReadable(out.Encoding)) {
        out.Error.Description = out.Encoding == FileEncoding::Utf32 ? "UTF-32 text is not read"
                                                                    : "The byte-order mark contradicts the text";
        return false;
    }
    const bool inPlace = DecodeFileBytesInPlace(buffer, out.Encoding);
    if (inPlace) {
        out.text_.swap(buffer);
    } else {
        DecodeFileBytes(buffer, out.Encoding, out.text_);
    }
    if (options.CompactText) {
        out.Options.reserve(CountOptionTags(out.text_)); // not doubling, by either reader
    }
    if (options.KeepSource) {
        out.Source = out.text_;
    } else {
        // The fast path: a file as the library writes it is read in one pass
        // without a parsed document (and then the text need not be compacted:
        // no document grows beside it).
        if (ScanSettingsText(out.text_, out)) {
            return true;
        }
        out.ClearDescription();
    }
    if (inPlace && options.CompactText) {
        std::string(out.text_).swap(out.text_);
    }
    // Only an empty or blank text may hold no element: anything else (a
    // declaration alone, text in the wrong encoding) is no document.
    const std::size_t content = out.text_.find_first_not_of(" \t\r\n");
    const pugi::xml_parse_result result = out.document_.load_buffer_inplace(
        out.text_.data(), out.text_.size(), pugi::parse_declaration | pugi::parse_escapes, pugi::encoding_utf8);
    if (IsParseFailure(result.status)) {
        out.Error.Offset = result.offset > 0 ? static_cast<std::size_t>(result.offset) : 0;
        out.Error.Description = result.description();
        return false;
    }
    if (!out.document_.document_element() && content != std::string::npos) {
        out.Error.Offset = content;
        out.Error.Description = "No document element found";
        return false;
    }
    const pugi::xml_node root = out.document_.child(format::kRoot);
    const pugi::xml_node application = root.child(format::kApplication);
    const std::pair<const char*, std::string_view*> strings[] = {
        {format::kDisplayName, &out.Application.DisplayName}, {format::kVersionName, &out.Application.VersionName},
        {format::kInstallPath, &out.Application.InstallPath}, {format::kConfigPath, &out.Application.ConfigPath},
        {format::kExecutable, &out.Application.Executable},   {format::kExecCmd, &out.Application.ExecCmd},
    };
    for (const auto& [name, value] : strings) {
        *value = application.child(name).attribute(format::kValue).value();
    }
    // Where an element's "<" stands: pugixml knows where its name does.
    const auto offsetOf = [&options](const pugi::xml_node& element) -> std::size_t {
        const std::ptrdiff_t name = options.KeepSource ? element.offset_debug() : -1;
        return name > 0 ? static_cast<std::size_t>(name - 1) : 0;
    };
    const pugi::xml_node settings = root.child(format::kGameSettings);
    for (const pugi::xml_node& element : settings.children()) {
        if (element.type() != pugi::node_element) {
            continue;
        }
        if (format::NameIs(element.name(), format::kResolution)) {
            ReadResolution(element, out.Resolution, out.ListedModes);
        } else if (format::NameIs(element.name(), format::kOption)) {
            StoredOption option;
            SkipReason reason = SkipReason::NoName;
            if (ReadOption(element, out, option, reason)) {
                option.Offset = offsetOf(element);
                out.Options.push_back(option);
            } else if (options.KeepSource) {
                out.Skipped.push_back({reason, element.attribute(format::kName).value(), offsetOf(element),
                                       out.Options.size()});
            }
        }
    }
    // Every text points into text_: the parsed nodes are no longer needed,
    // and a load's matching need not find them still in memory.
    out.document_.reset();
    return true;
}

TextPosition PositionOf(std::string_view text, std::size_t offset) noexcept
{
    TextPosition position;
    const std::size_t end = std::min(offset, text.size());
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++position.Line;
            position.Column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++position.Column; // a character starts here
        }
    }
    return position;
}

std::string_view StartTagAt(std::string_view text, std::size_t offset) noexcept
{
    if (offset >= text.size()) {
        return {};
    }
    char quote = '\0';
    for (std::size_t i = offset; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != '\0') {
            quote = c == quote ? '\0' : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return text.substr(offset, i + 1 - offset);
        }
    }
    return text.substr(offset);
}

} // namespace qorva_zel
