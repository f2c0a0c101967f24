// A save under file-system faults and kills (POSIX): every call the save
// makes is failed in turn with each error a file system gives there, and the
// process is killed before and after each of them. The settings file is
// always byte for byte the old one or the new one, a reported failure leaves
// no temporary file and no change in memory, and the next save succeeds and
// clears what a killed save left behind.
//
// Prints its figures as "FIGURE <name> <value>" lines.
#include "support/file_call_faults.h"
#include "support/settings_file_support.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qorva_zel_test;
namespace faults = qorva_zel_test::file_faults;
using faults::Action;
using faults::Call;

namespace {

const QORVA_ZEL_Char* const kQualities[] = {QORVA_ZEL_TEXT("Low"), QORVA_ZEL_TEXT("High"),
                                            QORVA_ZEL_TEXT("Ultra & <more>")};

// Every value the test sets, and the resolution.
struct Settings {
    std::int32_t Level;
    float Gamma;
    const QORVA_ZEL_Char* Quality;
    std::uint8_t VSync;
    QORVA_ZEL_Resolution Resolution;
};

const Settings kOldSettings{3, 0.5f, kQualities[0], 0, {1280, 720, 60.0f}};
const Settings kNewSettings{7, 0.25f, kQualities[2], 1, {1920, 1080, 59.94f}};

// The save writes this many bytes at most per write in the cases that fail a
// write after part of the file was written.
constexpr std::size_t kPartialWrite = 256;

enum class Scenario {
    ExistingFile, // the save replaces a file
    NoFileYet,    // the save creates the file
};

const char* ScenarioName(Scenario scenario)
{
    return scenario == Scenario::ExistingFile ? "existing file" : "no file yet";
}

// One call of the save that the tests fail or kill at.
struct Point {
    Call FailedCall;
    int Occurrence;         // 1: the first such call
    bool PartlyWritten;     // writes are short, so part of the file is written before
    bool BestEffort;        // a failure here must not fail the save
    std::vector<int> Errors; // what a file system reports there
};

const std::vector<Point>& SavePoints()
{
    static const std::vector<Point> points = {
        {Call::ProbeOpen, 1, false, false, {EACCES, EIO}},
        {Call::Create, 1, false, false, {ENOSPC, EDQUOT, EACCES, EIO}},
        // No lock (a file system without flock): the save goes on unlocked.
        // Held by another (a clean-up): the save takes another name.
        {Call::Lock, 1, false, true, {ENOLCK, EIO, EWOULDBLOCK}},
        {Call::Fchmod, 1, false, false, {EPERM, EIO}},
        {Call::Write, 1, false, false, {ENOSPC, EIO, EFBIG, EDQUOT}},
        {Call::Write, 3, true, false, {ENOSPC, EIO, EFBIG, EDQUOT}},
        {Call::Fsync, 1, false, false, {EIO, ENOSPC, EDQUOT}},
        {Call::Close, 1, false, false, {EIO, ENOSPC, EDQUOT}},
        {Call::Rename, 1, false, false, {EACCES, ENOSPC, EDQUOT, EIO}},
        {Call::DirectoryOpen, 1, false, true, {EACCES, EIO}},
        {Call::DirectorySync, 1, false, true, {EIO, ENOSPC, EINVAL}},
    };
    return points;
}

// Only the replacement of a file probes it and copies its permission bits.
bool Reaches(const Point& point, Scenario scenario)
{
    return scenario == Scenario::ExistingFile ||
           (point.FailedCall != Call::ProbeOpen && point.FailedCall != Call::Fchmod);
}

// True when the settings file holds the new content once the save got past
// that point: the rename is what replaces it.
bool ReplacedAfter(const Point& point, Action action)
{
    switch (point.FailedCall) {
    case Call::Rename:
        return action == Action::KillAfter;
    case Call::DirectoryOpen:
    case Call::DirectorySync:
        return true;
    default:
        return false;
    }
}

std::string Describe(Scenario scenario, const Point& point)
{
    return std::string(ScenarioName(scenario)) + ", " + faults::CallName(point.FailedCall) + " #" +
           std::to_string(point.Occurrence) + (point.PartlyWritten ? " (after part written)" : "");
}

class SaveFaultTest : public SettingsFileTest {
protected:
    void SetUp() override
    {
        SettingsFileTest::SetUp();
        ASSERT_EQ(Register(IntOption(QORVA_ZEL_TEXT("Level"), 0, 0, 10, 10)), QORVA_ZEL_OK);
        ASSERT_EQ(Register(FloatOption(QORVA_ZEL_TEXT("Gamma"), 0.0f, 0.0f, 1.0f, 4)), QORVA_ZEL_OK);
        ASSERT_EQ(Register(EnumOption(QORVA_ZEL_TEXT("Quality"), kQualities[0], kQualities, 3)), QORVA_ZEL_OK);
        ASSERT_EQ(Register(BoolOption(QORVA_ZEL_TEXT("VSync"), 0)), QORVA_ZEL_OK);
        const QORVA_ZEL_Resolution modes[] = {kOldSettings.Resolution, kNewSettings.Resolution};
        ASSERT_EQ(QORVA_ZEL_RegisterResolutions(modes, 2), QORVA_ZEL_OK);

        // The two files every case must end with one of.
        ASSERT_NO_FATAL_FAILURE(Apply(kOldSettings));
        ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        oldBytes_ = ReadBytes(SettingsPath());
        ASSERT_NO_FATAL_FAILURE(Apply(kNewSettings));
        ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        newBytes_ = ReadBytes(SettingsPath());
        ASSERT_NE(oldBytes_, newBytes_);
        ASSERT_GT(newBytes_.size(), 4 * kPartialWrite) << "too short to be written in parts";
    }

    void TearDown() override
    {
        faults::StopWatching();
        SettingsFileTest::TearDown();
    }

    static void Apply(const Settings& settings)
    {
        ASSERT_EQ(SetInt(QORVA_ZEL_TEXT("Level"), settings.Level), QORVA_ZEL_OK);
        ASSERT_EQ(SetFloat(QORVA_ZEL_TEXT("Gamma"), settings.Gamma), QORVA_ZEL_OK);
        ASSERT_EQ(SetEnum(QORVA_ZEL_TEXT("Quality"), settings.Quality), QORVA_ZEL_OK);
        ASSERT_EQ(SetBool(QORVA_ZEL_TEXT("VSync"), settings.VSync), QORVA_ZEL_OK);
        ASSERT_EQ(QORVA_ZEL_SetResolution(&settings.Resolution), QORVA_ZEL_OK);
    }

    // The values in memory are these settings.
    static void ExpectInMemory(const Settings& settings)
    {
        EXPECT_EQ(GetInt(QORVA_ZEL_TEXT("Level")), settings.Level);
        EXPECT_EQ(GetFloat(QORVA_ZEL_TEXT("Gamma")), settings.Gamma);
        EXPECT_EQ(GetEnum(QORVA_ZEL_TEXT("Quality")), QzString(settings.Quality));
        EXPECT_EQ(GetBool(QORVA_ZEL_TEXT("VSync")), settings.VSync);
        QORVA_ZEL_Resolution mode{};
        EXPECT_EQ(QORVA_ZEL_GetResolution(&mode), QORVA_ZEL_OK);
        EXPECT_EQ(mode.Width, settings.Resolution.Width);
        EXPECT_EQ(mode.Height, settings.Resolution.Height);
        EXPECT_EQ(mode.RefreshRate, settings.Resolution.RefreshRate);
    }

    // The old file saved (or, with no file yet, saved and removed: the
    // snapshot holds the old settings either way), then the new settings set.
    void Prepare(Scenario scenario)
    {
        ASSERT_NO_FATAL_FAILURE(Apply(kOldSettings));
        ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        ASSERT_EQ(ReadBytes(SettingsPath()), oldBytes_);
        if (scenario == Scenario::NoFileYet) {
            ASSERT_TRUE(std::filesystem::remove(SettingsPath()));
        }
        ASSERT_NO_FATAL_FAILURE(Apply(kNewSettings));
        ASSERT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
        ASSERT_TRUE(Temporaries().empty());
    }

    // The settings file's bytes, or nothing when there is none.
    std::optional<std::string> FileBytes() const
    {
        if (!std::filesystem::exists(SettingsPath())) {
            return std::nullopt;
        }
        return ReadBytes(SettingsPath());
    }

    std::optional<std::string> OldFile(Scenario scenario) const
    {
        return scenario == Scenario::ExistingFile ? std::optional<std::string>(oldBytes_) : std::nullopt;
    }

    // The file is the old one or the new one; counts it as corrupted otherwise.
    void CheckOldOrNew(Scenario scenario, long long& corrupted) const
    {
        const std::optional<std::string> bytes = FileBytes();
        if (bytes != OldFile(scenario) && bytes != std::optional<std::string>(newBytes_)) {
            ++corrupted;
            ADD_FAILURE() << "the settings file is neither the old nor the new one ("
                          << (bytes ? std::to_string(bytes->size()) + " bytes" : std::string("missing")) << ")";
        }
    }


    void WatchTheSave() const
    {
        faults::Watch(ConfigDir().Path().string(), SettingsPath().filename().string());
    }

    // A save with nothing armed succeeds, writes the new file and clears
    // every temporary file of a dead process.
    void ExpectNextSaveSucceeds() const
    {
        EXPECT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        EXPECT_EQ(FileBytes(), std::optional<std::string>(newBytes_));
        EXPECT_TRUE(Temporaries().empty());
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    }

    const std::string& NewBytes() const { return newBytes_; }

private:
    std::string oldBytes_;
    std::string newBytes_;
};

} // namespace

// Without this the other tests would pass without failing anything.
TEST_F(SaveFaultTest, InterpositionSeesEveryCallOfTheSave)
{
    for (const Scenario scenario : {Scenario::ExistingFile, Scenario::NoFileYet}) {
        SCOPED_TRACE(ScenarioName(scenario));
        ASSERT_NO_FATAL_FAILURE(Prepare(scenario));
        WatchTheSave();
        EXPECT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        faults::StopWatching();
        const int probes = scenario == Scenario::ExistingFile ? 1 : 0;
        EXPECT_EQ(faults::Count(Call::ProbeOpen), probes);
        EXPECT_EQ(faults::Count(Call::Create), 1);
        EXPECT_EQ(faults::Count(Call::Lock), 1);
        EXPECT_EQ(faults::Count(Call::Fchmod), probes);
        EXPECT_GE(faults::Count(Call::Write), 1);
        EXPECT_EQ(faults::Count(Call::Fsync), 1);
        EXPECT_EQ(faults::Count(Call::Close), 1);
        EXPECT_EQ(faults::Count(Call::Rename), 1);
        EXPECT_EQ(faults::Count(Call::DirectoryOpen), 1);
        EXPECT_EQ(faults::Count(Call::DirectorySync), 1);
        EXPECT_EQ(FileBytes(), std::optional<std::string>(NewBytes()));

        // Short writes: the save goes on writing until everything is out.
        ASSERT_NO_FATAL_FAILURE(Prepare(scenario));
        WatchTheSave();
        faults::LimitWrites(kPartialWrite);
        EXPECT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        faults::StopWatching();
        EXPECT_GE(static_cast<std::size_t>(faults::Count(Call::Write)), NewBytes().size() / kPartialWrite);
        EXPECT_EQ(FileBytes(), std::optional<std::string>(NewBytes()));
    }
}

TEST_F(SaveFaultTest, InterruptedCallsAreRepeated)
{
    struct Interruption {
        Call InterruptedCall;
        std::size_t WriteLimit;
    };
    const Interruption interruptions[] = {
        {Call::ProbeOpen, 0}, {Call::Create, 0}, {Call::Lock, 0},
        {Call::Fchmod, 0},    {Call::Write, 0},  {Call::Write, 3}, // odd: splits code units
        {Call::Fsync, 0},     {Call::Close, 0},  {Call::Rename, 0},
        {Call::DirectoryOpen, 0}, {Call::DirectorySync, 0},
    };
    for (const Interruption& interruption : interruptions) {
        SCOPED_TRACE(faults::CallName(interruption.InterruptedCall));
        ASSERT_NO_FATAL_FAILURE(Prepare(Scenario::ExistingFile));
        WatchTheSave();
        faults::LimitWrites(interruption.WriteLimit);
        faults::Arm(interruption.InterruptedCall, Action::Fail, EINTR, interruption.WriteLimit != 0 ? 2 : 1);
        EXPECT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        EXPECT_TRUE(faults::Fired());
        faults::StopWatching();
        // Repeated, except a close: Linux has released the descriptor.
        const int repeats = interruption.InterruptedCall == Call::Close ? 0 : 1;
        if (interruption.InterruptedCall != Call::Write) {
            EXPECT_EQ(faults::Count(interruption.InterruptedCall), 1 + repeats);
        }
        EXPECT_EQ(FileBytes(), std::optional<std::string>(NewBytes()));
        EXPECT_TRUE(Temporaries().empty());
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    }
}

// A rename that cannot replace the file (a bind mount: EBUSY; EXDEV) makes
// the save write the content into the file in place: the same file, with
// the new bytes, and no temporary left.
TEST_F(SaveFaultTest, FileThatCannotBeRenamedOverIsWrittenInPlace)
{
    for (const int error : {EBUSY, EXDEV}) {
        SCOPED_TRACE(std::strerror(error));
        ASSERT_NO_FATAL_FAILURE(Prepare(Scenario::ExistingFile));
        struct stat before {};
        ASSERT_EQ(::stat(SettingsPath().c_str(), &before), 0);
        WatchTheSave();
        faults::Arm(Call::Rename, Action::Fail, error);
        EXPECT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        EXPECT_TRUE(faults::Fired());
        faults::StopWatching();
        struct stat after {};
        ASSERT_EQ(::stat(SettingsPath().c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << "written in place";
        EXPECT_EQ(FileBytes(), std::optional<std::string>(NewBytes()));
        EXPECT_TRUE(Temporaries().empty());
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    }
    // With no file to write into, it is a failure as any other.
    ASSERT_NO_FATAL_FAILURE(Prepare(Scenario::NoFileYet));
    WatchTheSave();
    faults::Arm(Call::Rename, Action::Fail, EXDEV);
    EXPECT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_ERROR_FILE);
    faults::StopWatching();
    EXPECT_FALSE(FileBytes());
    EXPECT_TRUE(Temporaries().empty());
}

TEST_F(SaveFaultTest, EveryFailedCallLeavesTheOldFileAndTheSnapshot)
{
    std::set<std::pair<Call, int>> points;
    std::set<int> errors;
    long long cases = 0;
    long long corrupted = 0;
    for (const Scenario scenario : {Scenario::ExistingFile, Scenario::NoFileYet}) {
        for (const Point& point : SavePoints()) {
            if (!Reaches(point, scenario)) {
                continue;
            }
            for (const int error : point.Errors) {
                SCOPED_TRACE(Describe(scenario, point) + " failing with " + std::strerror(error));
                ASSERT_NO_FATAL_FAILURE(Prepare(scenario));

                WatchTheSave();
                faults::LimitWrites(point.PartlyWritten ? kPartialWrite : 0);
                faults::Arm(point.FailedCall, Action::Fail, error, point.Occurrence);
                const QORVA_ZEL_Status status = QORVA_ZEL_SaveConfigFile(0);
                const bool fired = faults::Fired();
                faults::StopWatching();

                EXPECT_TRUE(fired) << "the save never made that call";
                CheckOldOrNew(scenario, corrupted);
                if (point.BestEffort) {
                    EXPECT_EQ(status, QORVA_ZEL_OK);
                    EXPECT_EQ(FileBytes(), std::optional<std::string>(NewBytes()));
                    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
                } else {
                    EXPECT_EQ(status, QORVA_ZEL_ERROR_FILE);
                    EXPECT_EQ(FileBytes(), OldFile(scenario));
                    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
                }
                EXPECT_TRUE(Temporaries().empty()) << "a temporary file was left behind";
                ExpectInMemory(kNewSettings);

                ExpectNextSaveSucceeds();
                points.insert({point.FailedCall, point.Occurrence});
                errors.insert(error);
                ++cases;
            }
        }
    }
    PrintFigure("fault_points", static_cast<long long>(points.size()));
    PrintFigure("fault_errors", static_cast<long long>(errors.size()));
    PrintFigure("fault_cases", cases);
    PrintFigure("fault_corrupted_files", corrupted);
    EXPECT_EQ(points.size(), SavePoints().size());
    EXPECT_EQ(corrupted, 0);
}

TEST_F(SaveFaultTest, KillAtEveryCallLeavesTheOldOrTheNewFile)
{
    long long kills = 0;
    long long corrupted = 0;
    long long temporariesCleared = 0;
    for (const Scenario scenario : {Scenario::ExistingFile, Scenario::NoFileYet}) {
        for (const Point& point : SavePoints()) {
            if (!Reaches(point, scenario)) {
                continue;
            }
            for (const Action action : {Action::KillBefore, Action::KillAfter}) {
                SCOPED_TRACE(Describe(scenario, point) + (action == Action::KillBefore ? ", killed before"
                                                                                      : ", killed after"));
                ASSERT_NO_FATAL_FAILURE(Prepare(scenario));

                std::fflush(nullptr); // nothing buffered is written twice
                const pid_t child = ::fork();
                ASSERT_GE(child, 0) << std::strerror(errno);
                if (child == 0) {
                    WatchTheSave();
                    faults::LimitWrites(point.PartlyWritten ? kPartialWrite : 0);
                    faults::Arm(point.FailedCall, action, 0, point.Occurrence);
                    const QORVA_ZEL_Status status = QORVA_ZEL_SaveConfigFile(0);
                    ::_exit(status == QORVA_ZEL_OK ? 3 : 4); // not killed: the point was not reached
                }
                int wait = 0;
                ASSERT_EQ(::waitpid(child, &wait, 0), child);
                EXPECT_TRUE(WIFSIGNALED(wait) && WTERMSIG(wait) == SIGKILL)
                    << "the save was not killed (exit " << (WIFEXITED(wait) ? WEXITSTATUS(wait) : -1) << ")";

                CheckOldOrNew(scenario, corrupted);
                EXPECT_EQ(FileBytes(), ReplacedAfter(point, action) ? std::optional<std::string>(NewBytes())
                                                                     : OldFile(scenario));
                // A kill between creating the temporary and renaming it
                // leaves the temporary behind; the next save clears it.
                const bool leftBehind = !Temporaries().empty();
                const bool temporaryExists =
                    (point.FailedCall == Call::Create && action == Action::KillAfter) ||
                    point.FailedCall == Call::Lock ||
                    point.FailedCall == Call::Fchmod || point.FailedCall == Call::Write ||
                    point.FailedCall == Call::Fsync || point.FailedCall == Call::Close ||
                    (point.FailedCall == Call::Rename && action == Action::KillBefore);
                EXPECT_EQ(leftBehind, temporaryExists);
                temporariesCleared += leftBehind ? 1 : 0;

                ExpectNextSaveSucceeds();
                ++kills;
            }
        }
    }
    PrintFigure("kill_points", kills);
    PrintFigure("kill_temporaries_cleared", temporariesCleared);
    PrintFigure("kill_corrupted_files", corrupted);
    EXPECT_EQ(corrupted, 0);
}
