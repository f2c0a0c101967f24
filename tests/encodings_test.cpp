// A settings file that a player's editor saved in another encoding (UTF-8
// or UTF-16 big-endian, with or without a byte-order mark, after white
// space) loads the same values as the UTF-16LE file the library wrote; the
// next save writes UTF-16LE again, byte for byte what the library wrote
// first. Text in an encoding that is not read, or that holds no element,
// is not well-formed.
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

std::string Utf16BeBytes(const std::u16string& text, std::string bytes = "\xFE\xFF")
{
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

    const std::u16string body = text.substr(text.find(u"?>") + 2); // no declaration
    // As a player's editor may leave it: CRLF line ends, spaces around "=",
    // notes of the player's own; then also comments and an instruction.
    std::u16string edited;
    for (const char16_t unit : text) {
        edited += unit == u'\n' ? std::u16string(u"\r\n") : std::u16string(1, unit);
    }
    edited.replace(edited.find(u"Name=\""), 6, u"Name = \"");
    const std::u16string note = u"<NOTE Text='my &apos;best&apos; \"settings\"'><SEEN /></NOTE>";
    edited.insert(edited.find(u"<APPLICATION>"), note);
    edited.insert(edited.find(u"<OPTION "), note);
    std::u16string commented = edited;
    for (std::size_t at = commented.find(u"<OPTION "); at != std::u16string::npos;
         at = commented.find(u"<OPTION ", at + 30)) {
        commented.insert(at, u"<!-- edited -->");
    }
    commented += u"<?editor saved?>\r\n";
    const std::pair<const char*, std::string> variants[] = {
        {"UTF-8", Utf8Of(text)},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + Utf8Of(text)},
        {"UTF-8 after a line break", Utf8Of(body)},
        {"UTF-8 with its declaration after a blank line", "\r\n \r\n" + Utf8Of(text)},
        {"UTF-16BE with BOM", Utf16BeBytes(text)},
        {"UTF-16BE", Utf16BeBytes(text, "")},
        {"UTF-16LE after white space", Utf16LeBytes(u"\t\n" + body)},
        {"UTF-16LE after a comment in Japanese", Utf16LeBytes(u"<!-- \u8A2D\u5B9A -->\n" + body)},
        {"UTF-8 edited by hand", Utf8Of(edited)},
        {"UTF-8 edited by hand, with comments", Utf8Of(commented)},
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

TEST_F(EncodingsTest, TextThatIsNoDocumentIsNotWellFormed)
{
    ASSERT_EQ(Register(IntOption(u"Level", 3, 0, 10, 0)), QORVA_ZEL_OK);
    const std::string utf8 = "<?xml version=\"1.0\"?>\n<ZEL_SDK><GAMESETTINGS><OPTION Name=\"Level\" Type=\"Integer\" "
                             "Value=\"9\"/><OPTION Name=\"Kept\" Type=\"Bool\" Value=\"1\"/></GAMESETTINGS></ZEL_SDK>";
    WriteBytes(SettingsPath(), utf8);
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    ASSERT_EQ(SetInt(u"Level", 4), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    const std::string saved = ReadBytes(SettingsPath());

    std::string utf32le; // "<ZEL_SDK/>"
    std::string utf32be;
    for (char c : std::string("<ZEL_SDK/>")) {
        utf32le += {c, '\0', '\0', '\0'};
        utf32be += {'\0', '\0', '\0', c};
    }
    const std::pair<const char*, std::string> refused[] = {
        {"UTF-16LE mark before UTF-8 text", "\xFF\xFE" + utf8},
        {"UTF-8 mark before UTF-16LE text", "\xEF\xBB\xBF" + Utf16LeBytes(Widen(utf8))},
        {"UTF-16BE mark before UTF-16LE text", "\xFE\xFF" + Utf16LeBytes(Widen(utf8))},
        {"UTF-32LE with a mark", std::string("\xFF\xFE\0\0", 4) + utf32le},
        {"UTF-32BE with a mark", std::string("\0\0\xFE\xFF", 4) + utf32be},
        {"UTF-32LE", utf32le},
        {"a declaration alone", "<?xml version=\"1.0\"?>\n"},
        {"a comment alone", Utf16LeBytes(u"<!-- <ZEL_SDK/> -->")},
        {"text alone", "\n ZEL_SDK"},
    };
    for (const auto& [name, bytes] : refused) {
        SCOPED_TRACE(name);
        WriteBytes(SettingsPath(), bytes);
        EXPECT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_ERROR_FILE);
        EXPECT_EQ(GetInt(u"Level"), 4);
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    }
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_EQ(ReadBytes(SettingsPath()), saved); // the kept option too

    // An empty or blank file, in any encoding, loads as holding nothing.
    for (const std::string& blank : {std::string(), std::string(" \r\n\t"), Utf16LeBytes(u"\n "),
                                     std::string("\xFF\xFE"), Utf16BeBytes(u"\n")}) {
        WriteBytes(SettingsPath(), blank);
        EXPECT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
        EXPECT_EQ(GetInt(u"Level"), 4);
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY); // nothing saved any more
    }
    // A UTF-8 file is held to XML as strictly as any other.
    WriteBytes(SettingsPath(), "<ZEL_SDK><GAMESETTINGS></ZEL_SDK>");
    EXPECT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_ERROR_FILE);
}

} // namespace
