#include "settingsfile/settings_writer.h"

#include "settingsfile/escape.h"
#include "settingsfile/format.h"
#include "settingsfile/numbers.h"
#include "text/byte_order.h"

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
// escaped in the file's own way.
class FileText {
public:
    // Writes into out, replacing what it held and reusing its memory.
    FileText(std::u16string& out, std::size_t expectedUnits) : text_(out)
    {
        text_.clear();
        text_.reserve(expectedUnits);
    }

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

    // Puts the text's code units in the file's byte order.
    void Finish()
    {
        if constexpr (!kLittleEndian) {
            for (char16_t& unit : text_) {
                unit = SwapBytes(unit);
            }
        }
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

    std::u16string& text_;
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

// The "RANGE" child of an Integer or Float option; closes the option's
// element too.
void WriteRangeAndClose(FileText& text, std::string_view min, std::string_view max, std::int32_t steps)
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
        WriteRangeAndClose(text, FormatInt(record.MinValue.IntValue), FormatInt(record.MaxValue.IntValue), record.NumSteps);
        return;
    case QORVA_ZEL_Float:
        text.AsciiAttribute(format::kType, format::kTypeFloat);
        text.AsciiAttribute(format::kValue, floats.Value.Format(record.Value.FloatValue));
        WriteRangeAndClose(text, floats.Min.Format(record.MinValue.FloatValue), floats.Max.Format(record.MaxValue.FloatValue),
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
std::size_t ExpectedUnits(const SettingsToWrite& settings)
{
    const ApplicationStrings& app = settings.Application;
    std::size_t units = 512 + 64 * settings.ListedCount + app.DisplayName.size() + app.VersionName.size() +
                        app.InstallPath.size() + app.ConfigPath.size() + app.Executable.size() + app.ExecCmd.size();
    for (const OptionToWrite& option : settings.Options) {
        const OptionRecord& record = *option.Record;
        units += 128 + record.Name.size() + record.StringValue.size();
        for (const std::u16string& allowed : record.Values) {
            units += 32 + allowed.size();
        }
    }
    return units;
}

} // namespace

std::u16string WriteSettingsText(const SettingsToWrite& settings)
{
    std::u16string out;
    WriteSettingsText(settings, out);
    return out;
}

void WriteSettingsText(const SettingsToWrite& settings, std::u16string& out)
{
    FileText text(out, ExpectedUnits(settings));
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
    const ApplicationStrings& app = settings.Application;
    const std::pair<const char*, std::u16string_view> strings[] = {
        {format::kDisplayName, app.DisplayName}, {format::kVersionName, app.VersionName},
        {format::kInstallPath, app.InstallPath}, {format::kConfigPath, app.ConfigPath},
        {format::kExecutable, app.Executable},   {format::kExecCmd, app.ExecCmd},
    };
    for (const auto& [name, value] : strings) {
        text.StartTag(2, name);
        text.Attribute(format::kValue, value);
        text.CloseEmpty();
    }
    text.EndTag(1, format::kApplication);

    text.StartTag(1, format::kGameSettings);
    text.OpenChildren();
    WriteResolution(text, 2, format::kResolution, settings.Resolution);
    if (settings.ListedCount == 0) {
        text.CloseEmpty();
    } else {
        text.OpenChildren();
        for (std::size_t i = 0; i < settings.ListedCount; ++i) {
            WriteResolution(text, 3, format::kEnum, settings.Listed[i]);
            text.CloseEmpty();
        }
        text.EndTag(2, format::kResolution);
    }

    FloatFormats floats;
    for (const OptionToWrite& option : settings.Options) {
        WriteOption(text, floats, *option.Record, option.Registered);
    }
    text.EndTag(1, format::kGameSettings);
    text.EndTag(0, format::kRoot);
    text.Finish();
}

} // namespace qorva_zel
