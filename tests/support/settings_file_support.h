// Helpers for tests of the settings file: its path, UTF-16 text written as
// a file and read back, and a game with one option of each type.
#pragma once

#include "support/qorva_zel_test_support.h"
#include "support/save_names.h"

#include <filesystem>
#include <string>
#include <vector>

namespace qorva_zel_test {

// UTF-16 little-endian bytes of text, without a byte-order mark.
inline std::string Utf16LeBytes(const std::u16string& text)
{
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

// The inverse of Utf16LeBytes (an odd last byte is dropped).
inline std::u16string FromUtf16LeBytes(const std::string& bytes)
{
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return text;
}

// ASCII text widened to UTF-16.
inline std::u16string Widen(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// The library initialised with a settings directory, plus the file's path.
class SettingsFileTest : public InitializedLibrary {
protected:
    // The saved resolution outlives a release; a first save and the removal
    // of its file start every test from the zero mode with no file.
    void SetUp() override
    {
        InitializedLibrary::SetUp();
        ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        std::filesystem::remove(SettingsPath());
    }

    std::filesystem::path SettingsPath() const
    {
        return ConfigDir().Path() / ("GFXSettings." + std::string(App().Executable.begin(), App().Executable.end()) +
                                     ".xml");
    }
    // The saved file as text (UTF-16 units).
    std::u16string SavedText() const { return FromUtf16LeBytes(ReadBytes(SettingsPath())); }
    // Writes a settings file from UTF-16 text.
    void WriteSettings(const std::u16string& xml) const { WriteBytes(SettingsPath(), Utf16LeBytes(xml)); }
    // Writes a minimal file whose settings element holds the given children.
    void WriteSettingsBody(const std::u16string& body) const
    {
        WriteSettings(u"<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\"?>\n<ZEL_SDK><GAMESETTINGS>" +
                      body + u"</GAMESETTINGS></ZEL_SDK>\n");
    }

    // Names of the files in the settings directory.
    std::vector<std::string> DirectoryEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(ConfigDir().Path())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
    // Names of the temporary files of saves (of this settings file) there.
    std::vector<std::string> Temporaries() const
    {
        const std::string prefix = TemporaryPrefix(SettingsPath().filename().string());
        std::vector<std::string> names;
        for (const std::string& name : DirectoryEntries()) {
            if (name.compare(0, prefix.size(), prefix) == 0) {
                names.push_back(name);
            }
        }
        return names;
    }

    // Releases and initialises again, with the same strings as a game
    // started anew would, or with others (SettingsPath() stays the first
    // one's).
    void Restart() { Restart(App()); }
    static void Restart(const AppStrings& app)
    {
        ASSERT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
        const QORVA_ZEL_ApplicationInfo info = app.Info();
        ASSERT_EQ(QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion), QORVA_ZEL_OK);
    }
};

// ---- A game with one option of each type -------------------------------------------

// Allowed strings with the characters a file must escape or keep.
inline const QORVA_ZEL_Char* const kAwkwardQualities[] = {u"Low", u"A&B \"quoted\" <x>", u"line\nbreak\r\tTab",
                                                          u"\U0001F3AE"};

// Shadows: Integer over the full width in 2 steps; Gamma: Float 0..1 in 3
// steps; Free: Float, any value, starting at free; "Quality & \"Mode\"":
// Enum of kAwkwardQualities; VSync: Bool.
inline void RegisterEveryType(float free = 0.0f)
{
    const QORVA_ZEL_OptionDesc descs[] = {
        IntOption(u"Shadows", 0, -2147483647 - 1, 2147483647, 2),
        FloatOption(u"Gamma", 0.0f, 0.0f, 1.0f, 3),
        FloatOption(u"Free", free, 0.0f, 0.0f, -1),
        EnumOption(u"Quality & \"Mode\"", u"Low", kAwkwardQualities, 4),
        BoolOption(u"VSync", 0),
    };
    for (const QORVA_ZEL_OptionDesc& desc : descs) {
        ASSERT_EQ(QORVA_ZEL_RegisterOption(&desc), QORVA_ZEL_OK);
    }
}

} // namespace qorva_zel_test
