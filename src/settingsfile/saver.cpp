#include "settingsfile/saver.h"

#include "settingsfile/escape.h"
#include "settingsfile/file_io.h"
#include "settingsfile/format.h"
#include "settingsfile/numbers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <iterator>
#include <utility>

namespace qorva_zel {
namespace {

// The text of the settings file, written straight from the state: the
// element tree, in order, as pugixml's xml_document::save lays a document out
// with a TAB indent and format_indent (start tag and LF; children one TAB
// deeper; the end tag at the element's own depth; an element without
// children closed by " />"; attributes after one space each), values
// escaped in the file's own way. The text is UTF-16; its code units in
// little-endian order are the file's bytes.
class FileText {
public:
    explicit FileText(std::size_t expectedUnits) { text_.reserve(expectedUnits); }

    // "<NAME" after depth TABs.
    void StartTag(int depth, const char* name)
    {
        Indent(depth);
        text_ += u'<';
        Ascii(name);
    }
    // One attribute whose value is a string of the state, escaped.
    void Attribute(const char* name, std::u16string_view value)
    {
        AttributeStart(name);
        AppendEscapedAttribute(value, text_);
        text_ += u'"';
    }
    // One attribute whose value is plain ASCII: a number or a word.
    void AsciiAttribute(const char* name, std::string_view value)
    {
        AttributeStart(name);
        Ascii(value);
        text_ += u'"';
    }
    // Ends a start tag of an element with children, or one without.
    void OpenChildren() { text_ += u">\n"; }
    void CloseEmpty() { text_ += u" />\n"; }
    void EndDeclaration() { text_ += u"?>\n"; }
    // "</NAME>" after depth TABs.
    void EndTag(int depth, const char* name)
    {
        Indent(depth);
        text_ += u"</";
        Ascii(name);
        text_ += u">\n";
    }

    // The file's bytes: the text's code units, little-endian. Valid while
    // this object lives.
    std::string_view Bytes()
    {
#if defined(__BYTE_ORDER__) && defined(__ORDER_BIG_ENDIAN__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        for (char16_t& unit : text_) {
            unit = static_cast<char16_t>((unit >> 8) | (unit << 8));
        }
#endif
        return std::string_view(reinterpret_cast<const char*>(text_.data()), text_.size() * sizeof(char16_t));
    }

private:
    void AttributeStart(const char* name)
    {
        text_ += u' ';
        Ascii(name);
        text_ += u"=\"";
    }
    void Ascii(std::string_view ascii)
    {
        char16_t wide[32];
        while (!ascii.empty()) {
            const std::size_t count = std::min(ascii.size(), std::size(wide));
            for (std::size_t i = 0; i < count; ++i) {
                wide[i] = static_cast<char16_t>(static_cast<unsigned char>(ascii[i]));
            }
            text_.append(wide, count);
            ascii.remove_prefix(count);
        }
    }
    void Indent(int depth)
    {
        static constexpr char16_t kTabs[] = u"\t\t\t";
        text_.append(kTabs, static_cast<std::size_t>(depth));
    }

    std::u16string text_;
};

// Floats repeat (range bounds above all); the last one formatted is kept.
class FloatTexts {
public:
    const std::string& Format(float value)
    {
        if (!valid_ || !SameBits(value, last_)) {
            text_ = FormatFloat(value);
            last_ = value;
            valid_ = true;
        }
        return text_;
    }

private:
    static bool SameBits(float a, float b)
    {
        static_assert(sizeof(float) == sizeof(std::uint32_t));
        std::uint32_t x = 0;
        std::uint32_t y = 0;
        std::memcpy(&x, &a, sizeof x);
        std::memcpy(&y, &b, sizeof y);
        return x == y;
    }

    float last_ = 0.0f;
    bool valid_ = false;
    std::string text_;
};

struct FloatFormats {
    FloatTexts Value;
    FloatTexts Min;
    FloatTexts Max;
};

void WriteResolution(FileText& text, int depth, const char* name, const QORVA_ZEL_Resolution& resolution)
{
    text.StartTag(depth, name);
    text.AsciiAttribute(format::kWidth, FormatUnsigned(resolution.Width));
    text.AsciiAttribute(format::kHeight, FormatUnsigned(resolution.Height));
    text.AsciiAttribute(format::kRefreshRate, FormatFloat(resolution.RefreshRate));
}

void WriteRange(FileText& text, std::string_view min, std::string_view max, std::int32_t steps)
{
    text.OpenChildren();
    text.StartTag(3, format::kRange);
    text.AsciiAttribute(format::kMinValue, min);
    text.AsciiAttribute(format::kMaxValue, max);
    text.AsciiAttribute(format::kNumSteps, FormatInt(steps));
    text.CloseEmpty();
    text.EndTag(2, format::kOption);
}

// One "OPTION" element: "Name", "Registered", then by type "Type" and
// "Value" and the range or the allowed strings. A type number that is none
// of the four gives the element with "Name" and "Registered" only.
void WriteOption(FileText& text, FloatFormats& floats, const OptionRecord& record, bool registered)
{
    text.StartTag(2, format::kOption);
    text.Attribute(format::kName, record.Name);
    text.AsciiAttribute(format::kRegistered, registered ? format::kTrue : format::kFalse);
    switch (record.Type) {
    case QORVA_ZEL_Integer:
        text.AsciiAttribute(format::kType, format::kTypeInteger);
        text.AsciiAttribute(format::kValue, FormatInt(record.Value.IntValue));
        WriteRange(text, FormatInt(record.MinValue.IntValue), FormatInt(record.MaxValue.IntValue), record.NumSteps);
        return;
    case QORVA_ZEL_Float:
        text.AsciiAttribute(format::kType, format::kTypeFloat);
        text.AsciiAttribute(format::kValue, floats.Value.Format(record.Value.FloatValue));
        WriteRange(text, floats.Min.Format(record.MinValue.FloatValue), floats.Max.Format(record.MaxValue.FloatValue),
                   record.NumSteps);
        return;
    case QORVA_ZEL_Enum:
        text.AsciiAttribute(format::kType, format::kTypeEnum);
        text.Attribute(format::kValue, record.StringValue);
        if (record.Values.empty()) {
            text.CloseEmpty();
            return;
        }
        text.OpenChildren();
        for (const std::u16string& allowed : record.Values) {
            text.StartTag(3, format::kEnum);
            text.Attribute(format::kEnumValue, allowed);
            text.CloseEmpty();
        }
        text.EndTag(2, format::kOption);
        return;
    case QORVA_ZEL_Bool:
        text.AsciiAttribute(format::kType, format::kTypeBool);
        text.AsciiAttribute(format::kValue, record.Value.BoolValue != 0 ? format::kBoolTrue : format::kBoolFalse);
        text.CloseEmpty();
        return;
    default:
        text.CloseEmpty();
        return;
    }
}

// Roughly the length of the file in code units, so that the text is
// allocated once in the usual case.
std::size_t ExpectedUnits(const SdkState& state)
{
    std::size_t units = 512 + 64 * state.RegisteredResolutions.size();
    for (const std::u16string* text : {&state.DisplayName, &state.VersionName, &state.InstallPath, &state.ConfigPath,
                                       &state.Executable, &state.ExecCmd}) {
        units += text->size();
    }
    const auto add = [&units](const OptionRecord& record) {
        units += 128 + record.Name.size() + record.StringValue.size();
        for (const std::u16string& allowed : record.Values) {
            units += 32 + allowed.size();
        }
    };
    for (const OptionRecord& record : state.RegisteredOptions) {
        add(record);
    }
    for (const OptionRecord& record : state.UnregisteredOptions) {
        add(record);
    }
    return units;
}

void WriteDocument(const SdkState& state, bool discardUnregistered, FileText& text)
{
    // The declaration, then the root element at depth 0.
    text.StartTag(0, "?xml");
    text.AsciiAttribute("version", "1.0");
    text.AsciiAttribute("encoding", "UTF-16");
    text.AsciiAttribute("standalone", "no");
    text.EndDeclaration();
    text.StartTag(0, format::kRoot);
    text.AsciiAttribute(format::kVersion, format::kVersionText);
    text.OpenChildren();

    text.StartTag(1, format::kApplication);
    text.OpenChildren();
    const std::pair<const char*, const std::u16string*> strings[] = {
        {format::kDisplayName, &state.DisplayName}, {format::kVersionName, &state.VersionName},
        {format::kInstallPath, &state.InstallPath}, {format::kConfigPath, &state.ConfigPath},
        {format::kExecutable, &state.Executable},   {format::kExecCmd, &state.ExecCmd},
    };
    for (const auto& [name, value] : strings) {
        text.StartTag(2, name);
        text.Attribute(format::kValue, *value);
        text.CloseEmpty();
    }
    text.EndTag(1, format::kApplication);

    text.StartTag(1, format::kGameSettings);
    text.OpenChildren();
    WriteResolution(text, 2, format::kResolution, state.CurrentResolution);
    if (state.RegisteredResolutions.empty()) {
        text.CloseEmpty();
    } else {
        text.OpenChildren();
        for (const QORVA_ZEL_Resolution& entry : state.RegisteredResolutions) {
            WriteResolution(text, 3, format::kEnum, entry);
            text.CloseEmpty();
        }
        text.EndTag(2, format::kResolution);
    }

    FloatFormats floats;
    for (const OptionRecord& record : state.RegisteredOptions) {
        WriteOption(text, floats, record, true);
    }
    if (!discardUnregistered) {
        for (const OptionRecord& record : state.UnregisteredOptions) {
            // A kept record that now has a registered option of the same name
            // and type is stale: writing it would override the newer value
            // on the next load.
            if (!state.RegisteredOptions.ContainsOfType(record.Name, record.Type)) {
                WriteOption(text, floats, record, false);
            }
        }
    }
    text.EndTag(1, format::kGameSettings);
    text.EndTag(0, format::kRoot);
}

} // namespace

QORVA_ZEL_Status SaveConfigFile(SdkState& state, std::uint32_t discardUnregistered)
{
    return WithInitializedState(state, [&]() -> QORVA_ZEL_Status {
        // The text and the new snapshot are both made before the file is
        // touched; a failure on the way changes nothing.
        FileText text(ExpectedUnits(state));
        WriteDocument(state, (discardUnregistered & 1u) != 0, text);
        SavedOptions snapshot;
        snapshot.PlaceFor(state.RegisteredOptions.Size());
        std::size_t position = 0;
        for (const OptionRecord& record : state.RegisteredOptions) {
            snapshot.InsertFor(record, position++);
        }

        if (!ReplaceFileAtomically(ToNativePath(state.SettingsFilePath), text.Bytes())) {
            return QORVA_ZEL_ERROR_FILE;
        }
        state.SavedResolution = state.CurrentResolution;
        state.SavedOptionSet.Swap(snapshot);
        // A NaN never equals itself, even just saved.
        state.SavedOptionSet.CompareAll(state.RegisteredOptions);
        return QORVA_ZEL_OK;
    });
}

} // namespace qorva_zel
