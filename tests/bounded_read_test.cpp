// A load reads only a regular file, and at most 64 MiB of it (POSIX): a
// FIFO, a device reached through a link, a directory or a larger file in
// the settings file's place gives -1 at once, with nothing changed.
#include "support/settings_file_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qorva_zel_test;

namespace {

class BoundedReadTest : public SettingsFileTest {
protected:
    // A saved value and an unsaved one that a load would overwrite.
    void SetUp() override
    {
        SettingsFileTest::SetUp();
        ASSERT_EQ(Register(IntOption(u"Level", 1, 0, 10, 0)), QORVA_ZEL_OK);
        ASSERT_EQ(SetInt(u"Level", 2), QORVA_ZEL_OK);
        ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        ASSERT_EQ(SetInt(u"Level", 3), QORVA_ZEL_OK);
        std::filesystem::remove(SettingsPath());
    }

    void ExpectRefusedAndNothingChanged()
    {
        EXPECT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_ERROR_FILE);
        EXPECT_EQ(GetInt(u"Level"), 3);
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    }
};

} // namespace

// Without a writer, opening a FIFO for reading would wait for ever.
TEST_F(BoundedReadTest, Fifo)
{
    ASSERT_EQ(::mkfifo(SettingsPath().c_str(), 0644), 0);
    ExpectRefusedAndNothingChanged();
}

TEST_F(BoundedReadTest, DeviceThroughALink)
{
    std::filesystem::create_symlink("/dev/zero", SettingsPath());
    ExpectRefusedAndNothingChanged();
}

TEST_F(BoundedReadTest, Directory)
{
    std::filesystem::create_directory(SettingsPath());
    ExpectRefusedAndNothingChanged();
}

TEST_F(BoundedReadTest, FileLargerThan64MiB)
{
    // Sparse: no disk space is used, and none of it is read.
    const int fd = ::open(SettingsPath().c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t{65} * 1024 * 1024), 0);
    ::close(fd);
    ExpectRefusedAndNothingChanged();
}
