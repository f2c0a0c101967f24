// A settings file that a player's editor saved in another encoding (UTF-8
// with or without a byte-order mark, UTF-16 big-endian with one) loads the
// same values as the UTF-16LE file the library wrote; the next save writes
// UTF-16LE again, byte for byte what the library wrote first.
#include "support/settings_file_support.h"

#include <string>

using namespace qorva_zel_test;

namespace {

std::string Utf8Of(const std::u16string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size()) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))};
        } else if (cp < 0x10000) {
            out += {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (cp & 0x3F))};
        } else {
            out += {static_cast<char>(0xF0 | (cp >> 18)), static_cast<char>(0x80 | ((cp >> 12) & 0x3F)),
                    static_cast<char>(0x80 | ((cp >> 6) & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F))};
        }
    }
    return out;
}

std::string Utf16BeBytes(const std::u16string& text)
{
    std::string bytes = "\xFE\xFF";
    for (char16_t unit : text) {
        bytes += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
    }
    return bytes;
}

class EncodingsTest : public SettingsFileTest {};

TEST_F(EncodingsTest, EditorEncodingsLoadAsTheLibrarysOwn)
{
    RegisterEveryType();
    const QORVA_ZEL_Resolution modes[] = {{1920, 1080, 59.94f}, {800, 600, 60.0f}};
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(modes, 2), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SetResolution(&modes[0]), QORVA_ZEL_OK);
    ASSERT_EQ(SetInt(u"Shadows", 2147483646), QORVA_ZEL_OK);
    ASSERT_EQ(SetFloat(u"Gamma", 1.0f / 3.0f), QORVA_ZEL_OK);
    ASSERT_EQ(SetFloat(u"Free", 0.1f), QORVA_ZEL_OK);
    ASSERT_EQ(SetEnum(u"Quality & \"Mode\"", kAwkwardQualities[3]), QORVA_ZEL_OK); // outside the BMP
    ASSERT_EQ(SetBool(u"VSync", 1), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    const std::string original = ReadBytes(SettingsPath());
    const std::u16string text = FromUtf16LeBytes(original);
    ASSERT_EQ(text.find(u"encoding=\"UTF-16\""), 20u);

    const std::pair<const char*, std::string> variants[] = {
        {"UTF-8", Utf8Of(text)},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + Utf8Of(text)},
        {"UTF-16BE with BOM", Utf16BeBytes(text)},
    };
    for (const auto& [name, bytes] : variants) {
        SCOPED_TRACE(name);
        // Other values first, so that the load has to bring each one back.
        ASSERT_EQ(QORVA_ZEL_SetResolution(&modes[1]), QORVA_ZEL_OK);
        ASSERT_EQ(SetInt(u"Shadows", -1), QORVA_ZEL_OK);
        ASSERT_EQ(SetFloat(u"Gamma", 0.0f), QORVA_ZEL_OK);
        ASSERT_EQ(SetFloat(u"Free", 7.0f), QORVA_ZEL_OK);
        ASSERT_EQ(SetEnum(u"Quality & \"Mode\"", u"Low"), QORVA_ZEL_OK);
        ASSERT_EQ(SetBool(u"VSync", 0), QORVA_ZEL_OK);

        WriteBytes(SettingsPath(), bytes);
        ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
        EXPECT_EQ(GetInt(u"Shadows"), 2147483646);
        EXPECT_EQ(GetFloat(u"Gamma"), 1.0f / 3.0f);
        EXPECT_EQ(GetFloat(u"Free"), 0.1f);
        EXPECT_EQ(GetEnum(u"Quality & \"Mode\""), QzString(kAwkwardQualities[3]));
        EXPECT_EQ(GetBool(u"VSync"), 1);
        QORVA_ZEL_Resolution mode{};
        ASSERT_EQ(QORVA_ZEL_GetResolution(&mode), QORVA_ZEL_OK);
        EXPECT_EQ(mode.Width, 1920u);
        EXPECT_EQ(mode.RefreshRate, 59.94f);
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);

        ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        EXPECT_EQ(ReadBytes(SettingsPath()), original);
    }
}

TEST_F(EncodingsTest, OnlyAOneByteLessThanSignMeansUtf8)
{
    ASSERT_EQ(Register(IntOption(u"Level", 3, 0, 10, 0)), QORVA_ZEL_OK);
    // UTF-16LE "<" (3C 00) stays UTF-16LE, as does a file that begins with
    // anything else: here UTF-8 text after a space is no element at all.
    WriteBytes(SettingsPath(), " <ZEL_SDK><GAMESETTINGS><OPTION Name=\"Level\" Type=\"Integer\" Value=\"9\"/>"
                               "</GAMESETTINGS></ZEL_SDK>");
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Level"), 3);
    WriteBytes(SettingsPath(), "<ZEL_SDK><GAMESETTINGS><OPTION Name=\"Level\" Type=\"Integer\" Value=\"9\"/>"
                               "</GAMESETTINGS></ZEL_SDK>");
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Level"), 9);
    // A UTF-8 file is held to XML as strictly as any other.
    WriteBytes(SettingsPath(), "<ZEL_SDK><GAMESETTINGS></ZEL_SDK>");
    EXPECT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_ERROR_FILE);
    EXPECT_EQ(GetInt(u"Level"), 9);
}

} // namespace
