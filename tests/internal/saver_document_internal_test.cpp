// The saver writes the file's text itself. These tests hold it to pugixml:
// for random states (strings with every kind of awkward character, all
// option types and some other type numbers, floats of any bit pattern,
// resolutions, kept unregistered records, stale ones, the discard bit) the
// saved bytes must equal those of a pugixml document built from the same
// state, element by element and attribute by attribute, and saved with
// xml_document::save, a TAB indent, format_indent | format_no_escapes and
// UTF-16 little-endian, with the values escaped beforehand.
#include "support/settings_file_support.h"

#include "core/state.h"
#include "settingsfile/format.h"
#include "settingsfile/numbers.h"
#include "text/utf.h"

#include <pugixml.hpp>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace qorva_zel_test;
using qorva_zel::OptionRecord;
using qorva_zel::SdkState;
namespace format = qorva_zel::format;

// ---- The reference: a pugixml document of the state ------------------------

// The file's escaping, as UTF-8 text for pugixml.
std::string Escaped(const std::u16string& value)
{
    std::u16string units;
    for (const char16_t unit : value) {
        switch (unit) {
        case u'&':
            units += u"&amp;";
            break;
        case u'<':
            units += u"&lt;";
            break;
        case u'>':
            units += u"&gt;";
            break;
        case u'"':
            units += u"&quot;";
            break;
        default:
            if (unit < 0x20 && unit != u'\t') {
                units += u"&#";
                units += static_cast<char16_t>(u'0' + unit / 10);
                units += static_cast<char16_t>(u'0' + unit % 10);
                units += u';';
            } else {
                units += unit;
            }
        }
    }
    return qorva_zel::ToUtf8(units);
}

void Set(pugi::xml_node element, const char* name, const std::string& value)
{
    ASSERT_TRUE(element.append_attribute(name).set_value(value.c_str()));
}

void AddResolution(pugi::xml_node element, const QORVA_ZEL_Resolution& mode)
{
    Set(element, format::kWidth, qorva_zel::FormatUnsigned(mode.Width));
    Set(element, format::kHeight, qorva_zel::FormatUnsigned(mode.Height));
    Set(element, format::kRefreshRate, qorva_zel::FormatFloat(mode.RefreshRate));
}

void AddOption(pugi::xml_node settings, const OptionRecord& record, bool registered)
{
    pugi::xml_node option = settings.append_child(format::kOption);
    Set(option, format::kName, Escaped(record.Name));
    Set(option, format::kRegistered, registered ? format::kTrue : format::kFalse);
    const auto addRange = [&option](const std::string& min, const std::string& max, std::int32_t steps) {
        pugi::xml_node range = option.append_child(format::kRange);
        Set(range, format::kMinValue, min);
        Set(range, format::kMaxValue, max);
        Set(range, format::kNumSteps, qorva_zel::FormatInt(steps));
    };
    switch (record.Type) {
    case QORVA_ZEL_Integer:
        Set(option, format::kType, format::kTypeInteger);
        Set(option, format::kValue, qorva_zel::FormatInt(record.Value.IntValue));
        addRange(qorva_zel::FormatInt(record.MinValue.IntValue), qorva_zel::FormatInt(record.MaxValue.IntValue),
                 record.NumSteps);
        break;
    case QORVA_ZEL_Float:
        Set(option, format::kType, format::kTypeFloat);
        Set(option, format::kValue, qorva_zel::FormatFloat(record.Value.FloatValue));
        addRange(qorva_zel::FormatFloat(record.MinValue.FloatValue),
                 qorva_zel::FormatFloat(record.MaxValue.FloatValue), record.NumSteps);
        break;
    case QORVA_ZEL_Enum:
        Set(option, format::kType, format::kTypeEnum);
        Set(option, format::kValue, Escaped(record.StringValue));
        for (const std::u16string& allowed : record.Values) {
            Set(option.append_child(format::kEnum), format::kEnumValue, Escaped(allowed));
        }
        break;
    case QORVA_ZEL_Bool:
        Set(option, format::kType, format::kTypeBool);
        Set(option, format::kValue, record.Value.BoolValue != 0 ? format::kBoolTrue : format::kBoolFalse);
        break;
    default:
        break;
    }
}

class StringWriter final : public pugi::xml_writer {
public:
    void write(const void* data, std::size_t size) override { text.append(static_cast<const char*>(data), size); }
    std::string text;
};

std::string ReferenceBytes(const SdkState& state, bool discardUnregistered)
{
    pugi::xml_document document;
    pugi::xml_node declaration = document.prepend_child(pugi::node_declaration);
    declaration.set_name("xml");
    Set(declaration, "version", "1.0");
    Set(declaration, "encoding", "UTF-16");
    Set(declaration, "standalone", "no");
    pugi::xml_node root = document.append_child(format::kRoot);
    Set(root, format::kVersion, format::kVersionText);
    pugi::xml_node application = root.append_child(format::kApplication);
    const std::pair<const char*, const std::u16string*> strings[] = {
        {format::kDisplayName, &state.DisplayName}, {format::kVersionName, &state.VersionName},
        {format::kInstallPath, &state.InstallPath}, {format::kConfigPath, &state.ConfigPath},
        {format::kExecutable, &state.Executable},   {format::kExecCmd, &state.ExecCmd},
    };
    for (const auto& [name, value] : strings) {
        Set(application.append_child(name), format::kValue, Escaped(*value));
    }
    pugi::xml_node settings = root.append_child(format::kGameSettings);
    pugi::xml_node resolution = settings.append_child(format::kResolution);
    AddResolution(resolution, state.CurrentResolution);
    for (const QORVA_ZEL_Resolution& mode : state.RegisteredResolutions) {
        AddResolution(resolution.append_child(format::kEnum), mode);
    }
    state.RegisteredOptions.ForEachRecord([&](const OptionRecord& record) {
        AddOption(settings, record, true);
    });
    if (!discardUnregistered) {
        for (const OptionRecord& record : state.UnregisteredOptions) {
            if (!state.RegisteredOptions.FindOfType(record.Name, record.Type)) {
                AddOption(settings, record, false);
            }
        }
    }
    StringWriter writer;
    document.save(writer, "\t", pugi::format_indent | pugi::format_no_escapes, pugi::encoding_utf16_le);
    return writer.text;
}

// ---- Random states ---------------------------------------------------------------

class RandomState {
public:
    explicit RandomState(std::uint32_t seed) : random_(seed) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    // Plain letters mostly, and now and then each kind of awkward unit. With
    // allowNul, also U+0000 (only records made inside the library hold it).
    std::u16string Text(bool allowNul = false)
    {
        static const char16_t kAwkward[] = {u'&',    u'<',    u'>',    u'"',    u'\'',   u'\t',   u'\n',
                                            u'\r',   0x0001,  0x001F,  0x007F,  0x00E9,  0x20AC,  0xFFFF,
                                            0xD800,  0xDBFF,  0xDC00,  0xDFFF,  u' ',    u'=',    u'/'};
        std::u16string text;
        const int length = Below(12);
        for (int i = 0; i < length; ++i) {
            const int kind = Below(10);
            if (kind < 5) {
                text += static_cast<char16_t>(u'a' + Below(26));
            } else if (kind < 9) {
                text += kAwkward[Below(static_cast<int>(std::size(kAwkward)))];
            } else if (Below(2) == 0) {
                text += u"\U0001F600"; // a surrogate pair
            } else if (allowNul) {
                text += char16_t{0};
            }
        }
        return text;
    }

    float AnyFloat()
    {
        static const float kUsual[] = {0.0f, -0.0f, 0.5f, 1.0f / 3.0f, 59.94f, 60.0f, 1234567.0f, 1e-5f, 3.4e38f};
        if (Below(2) == 0) {
            return kUsual[Below(static_cast<int>(std::size(kUsual)))];
        }
        const std::uint32_t bits = std::uniform_int_distribution<std::uint32_t>()(random_);
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    std::int32_t AnyInt() { return std::uniform_int_distribution<std::int32_t>()(random_); }

    OptionRecord Record(bool allowNul)
    {
        OptionRecord record;
        record.Name = Text(allowNul);
        static const std::int32_t kTypes[] = {QORVA_ZEL_Integer, QORVA_ZEL_Float, QORVA_ZEL_Enum,
                                              QORVA_ZEL_Bool,    7,               -1};
        record.Type = kTypes[Below(Below(4) == 0 ? 6 : 4)];
        switch (record.Type) {
        case QORVA_ZEL_Integer:
            record.Value.IntValue = AnyInt();
            record.MinValue.IntValue = AnyInt();
            record.MaxValue.IntValue = AnyInt();
            record.NumSteps = AnyInt();
            break;
        case QORVA_ZEL_Float:
            record.Value.FloatValue = AnyFloat();
            record.MinValue.FloatValue = AnyFloat();
            record.MaxValue.FloatValue = AnyFloat();
            record.NumSteps = AnyInt();
            break;
        case QORVA_ZEL_Enum: {
            record.StringValue = Text(allowNul);
            const int count = Below(4);
            for (int i = 0; i < count; ++i) {
                record.Values.push_back(Text(allowNul));
            }
            break;
        }
        case QORVA_ZEL_Bool:
            record.Value.BoolValue = static_cast<std::uint8_t>(Below(3) == 0 ? 0 : 1 + Below(255));
            break;
        default:
            break;
        }
        return record;
    }

    QORVA_ZEL_Resolution Mode()
    {
        return QORVA_ZEL_Resolution{static_cast<std::uint32_t>(AnyInt()), static_cast<std::uint32_t>(AnyInt()),
                                    AnyFloat()};
    }

private:
    std::mt19937 random_;
};

QzString ToQz(const std::u16string& text)
{
    return QzString(text.begin(), text.end());
}

// Registers a record through the exported function, as a game would.
QORVA_ZEL_Status Register(const OptionRecord& record)
{
    const QzString name(record.Name.begin(), record.Name.end());
    const QzString value(record.StringValue.begin(), record.StringValue.end());
    std::vector<QzString> allowed(record.Values.begin(), record.Values.end());
    std::vector<const QORVA_ZEL_Char*> pointers;
    for (const QzString& text : allowed) {
        pointers.push_back(text.c_str());
    }
    QORVA_ZEL_OptionDesc desc{};
    desc.Name = name.c_str();
    desc.Type = static_cast<QORVA_ZEL_OptionType>(record.Type);
    if (record.Type == QORVA_ZEL_Enum) {
        desc.Value.StringValue = value.c_str();
        desc.Limits.EnumList.Values = pointers.data();
        desc.Limits.EnumList.NumValues = static_cast<std::uint32_t>(pointers.size());
    } else {
        desc.Value = record.Value;
        desc.Limits.Range.MinValue = record.MinValue;
        desc.Limits.Range.MaxValue = record.MaxValue;
        desc.Limits.Range.NumSteps = record.NumSteps;
    }
    return QORVA_ZEL_RegisterOption(&desc);
}

class SaverDocument : public ::testing::Test {
protected:
    void TearDown() override { QORVA_ZEL_ReleaseSDK(); }
    TempDir dir_;
};

TEST_F(SaverDocument, RandomStatesSaveThePugixmlDocumentsBytes)
{
    int compared = 0;
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        RandomState random(seed);
        AppStrings app;
        app.DisplayName = ToQz(random.Text());
        app.VersionName = ToQz(random.Text());
        app.InstallPath = ToQz(random.Text());
        app.ConfigPath = dir_.Path().u16string();
        app.Executable = QORVA_ZEL_TEXT("game");
        app.ExecCmd = ToQz(random.Text());
        QORVA_ZEL_ReleaseSDK();
        const QORVA_ZEL_ApplicationInfo info = app.Info();
        ASSERT_EQ(QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion), QORVA_ZEL_OK);

        std::vector<QORVA_ZEL_Resolution> modes;
        const int modeCount = random.Below(4);
        for (int i = 0; i < modeCount; ++i) {
            modes.push_back(random.Mode());
        }
        if (!modes.empty()) {
            ASSERT_EQ(QORVA_ZEL_RegisterResolutions(modes.data(), static_cast<std::uint32_t>(modes.size())),
                      QORVA_ZEL_OK);
            ASSERT_EQ(QORVA_ZEL_SetResolution(&modes[static_cast<std::size_t>(random.Below(modeCount))]),
                      QORVA_ZEL_OK);
        }

        std::vector<OptionRecord> registered;
        const int optionCount = random.Below(12);
        for (int i = 0; i < optionCount; ++i) {
            const OptionRecord record = random.Record(false);
            const QORVA_ZEL_Status status = Register(record);
            ASSERT_TRUE(status == QORVA_ZEL_OK || status == QORVA_ZEL_ERROR_ALREADY_REGISTERED) << status;
            registered.push_back(record);
        }
        // Records kept from a file: new ones, and now and then a stale copy of
        // a registered option.
        SdkState& state = qorva_zel::TheState();
        const int keptCount = random.Below(5);
        for (int i = 0; i < keptCount; ++i) {
            if (!registered.empty() && random.Below(3) == 0) {
                state.UnregisteredOptions.push_back(registered[static_cast<std::size_t>(
                    random.Below(static_cast<int>(registered.size())))]);
            } else {
                state.UnregisteredOptions.push_back(random.Record(true));
            }
        }

        const bool discard = random.Below(4) == 0;
        const std::string expected = ReferenceBytes(state, discard);
        ASSERT_EQ(QORVA_ZEL_SaveConfigFile(discard ? 1u : 0u), QORVA_ZEL_OK);
        const std::string saved = ReadBytes(dir_.Path() / "GFXSettings.game.xml");
        ASSERT_EQ(saved.size(), expected.size());
        ASSERT_TRUE(saved == expected) << "the saved bytes differ from pugixml's";
        ++compared;
    }
    EXPECT_EQ(compared, 300);
}

} // namespace
