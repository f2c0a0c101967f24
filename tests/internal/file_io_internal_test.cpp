// The platform's file calls below the exported functions, on every
// platform: the reasons a read gives, and a replacement that expects the
// file as it was read (the qorvazel tool's) refusing one that a game saved
// in the meantime, so that a save that returned 0 is never undone.
#include "platform/file_io.h"
#include "support/qorva_zel_test_support.h"

#include <filesystem>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

using namespace qorva_zel_test;
using qorva_zel::ReadOutcome;
using qorva_zel::ReplaceOutcome;

namespace {

class FileIoTest : public InitializedLibrary {
protected:
    std::filesystem::path SettingsPath() const { return ConfigDir().Path() / "GFXSettings.testgame.xml"; }
    qorva_zel::NativePath Native() const { return qorva_zel::ToNativePath(SettingsPath().u16string()); }

    // Reads the file as the tool does: its bytes and identity.
    ReadOutcome Read(std::string& bytes, qorva_zel::FileIdentity& identity) const
    {
        bytes.clear();
        return qorva_zel::ReadWholeFile(Native(), bytes, &identity);
    }
};

} // namespace

TEST_F(FileIoTest, ReadsTellWhyTheyFailed)
{
    std::string bytes;
    EXPECT_EQ(qorva_zel::ReadWholeFile(Native(), bytes), ReadOutcome::Missing);
    std::filesystem::create_directory(SettingsPath());
    EXPECT_EQ(qorva_zel::ReadWholeFile(Native(), bytes), ReadOutcome::NotRegularFile);
    EXPECT_EQ(qorva_zel::ReplaceFileAtomically(Native(), "new"), ReplaceOutcome::NotRegularFile);
    std::filesystem::remove(SettingsPath());
    WriteBytes(SettingsPath(), "");
    std::filesystem::resize_file(SettingsPath(), qorva_zel::kLargestReadableFile + 1);
    EXPECT_EQ(qorva_zel::ReadWholeFile(Native(), bytes), ReadOutcome::TooLarge);
    EXPECT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_ERROR_FILE);
}

TEST_F(FileIoTest, ReplacementExpectingTheFileAsReadKeepsAGamesSave)
{
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    std::string bytes;
    qorva_zel::FileIdentity identity;
    ASSERT_EQ(Read(bytes, identity), ReadOutcome::Ok);
    const qorva_zel::ExpectedFile asRead{identity, bytes};

    // The game saves between the tool's read and its write.
    ASSERT_EQ(SetMode(Mode(800, 600, 60)), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    const std::string gamesSave = ReadBytes(SettingsPath());
    EXPECT_EQ(qorva_zel::ReplaceFileAtomically(Native(), "the tool's", &asRead), ReplaceOutcome::Changed);
    EXPECT_EQ(ReadBytes(SettingsPath()), gamesSave);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);

#ifndef _WIN32
    // Changed in place with the same size and time: the content tells.
    ASSERT_EQ(Read(bytes, identity), ReadOutcome::Ok);
    const qorva_zel::ExpectedFile current{identity, bytes};
    std::string edited = bytes;
    edited[edited.size() / 2] ^= 1;
    WriteBytes(SettingsPath(), edited);
    struct stat info {};
    ASSERT_EQ(::stat(SettingsPath().c_str(), &info), 0);
    const struct timespec times[2] = {info.st_atim, {static_cast<time_t>(identity.Modified / 1000000000),
                                                     static_cast<long>(identity.Modified % 1000000000)}};
    ASSERT_EQ(::utimensat(AT_FDCWD, SettingsPath().c_str(), times, 0), 0);
    std::string reread;
    qorva_zel::FileIdentity after;
    ASSERT_EQ(Read(reread, after), ReadOutcome::Ok);
    ASSERT_TRUE(after == identity) << "the same file, size and time";
    EXPECT_EQ(qorva_zel::ReplaceFileAtomically(Native(), "the tool's", &current), ReplaceOutcome::Changed);
    EXPECT_EQ(ReadBytes(SettingsPath()), edited);
#endif

    // Still the file read: replaced.
    ASSERT_EQ(Read(bytes, identity), ReadOutcome::Ok);
    const qorva_zel::ExpectedFile unchanged{identity, bytes};
    EXPECT_EQ(qorva_zel::ReplaceFileAtomically(Native(), "the tool's", &unchanged), ReplaceOutcome::Ok);
    EXPECT_EQ(ReadBytes(SettingsPath()), "the tool's");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(ConfigDir().Path()), {}), 1);
}
