// Every exported function that allocates, run with its N-th allocation
// failing, for N = 1, 2, ... until it completes without a failure: once with
// only the N-th failing and once with every allocation from the N-th on
// failing. Operator new and pugixml's allocations are failed alike.
//
// Each time the function returns its normal status, reports a failure the
// way its header says (-1 from a load or a save), or lets std::bad_alloc out;
// the lock is free for another thread at once; and the library is exactly as
// before the call or exactly as after a successful one: values, resolution,
// dirty answer, the settings file and the bytes of a following save. Leaks
// are left to LeakSanitizer (the sanitizer build runs this test too).
//
// Prints its figures as "FIGURE+ <name> <value>" lines, each test case its
// part of them.
#include "support/allocation_faults.h"
#include "support/settings_file_support.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <future>
#include <new>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace qorva_zel_test;
namespace allocation = qorva_zel_test::allocation_faults;

namespace {

const QORVA_ZEL_Char* const kQualities[] = {QORVA_ZEL_TEXT("Low"), QORVA_ZEL_TEXT("High"),
                                            QORVA_ZEL_TEXT("Ultra & <more>")};
const QORVA_ZEL_Char* const kLetters[] = {QORVA_ZEL_TEXT("A"), QORVA_ZEL_TEXT("B"), QORVA_ZEL_TEXT("C")};

const QORVA_ZEL_Resolution kModes[] = {{1280, 720, 60.0f}, {1920, 1080, 59.94f}, {2560, 1440, 144.0f}};
const QORVA_ZEL_Resolution kOtherModes[] = {
    {800, 600, 60.0f}, {1024, 768, 75.0f}, {3840, 2160, 120.0f}, {1920, 1200, 59.95f}};

// Every name whose value the checks read; the "New" ones are registered by
// the operations under test, "Shared" twice (Bool, then Enum).
const QORVA_ZEL_Char* const kProbedNames[] = {
    QORVA_ZEL_TEXT("Level"),    QORVA_ZEL_TEXT("Gamma"),      QORVA_ZEL_TEXT("Quality"),
    QORVA_ZEL_TEXT("VSync"),    QORVA_ZEL_TEXT("Shared"),     QORVA_ZEL_TEXT("NewLevel"),
    QORVA_ZEL_TEXT("NewGamma"), QORVA_ZEL_TEXT("NewQuality"), QORVA_ZEL_TEXT("NewVSync"),
};

// The file the starting state is loaded from: every registered option, two
// that match none, and a resolution.
const char16_t kFirstFile[] =
    u"<RESOLUTION Width=\"1280\" Height=\"720\" RefreshRate=\"60\"/>"
    u"<OPTION Name=\"Level\" Registered=\"True\" Type=\"Integer\" Value=\"4\">"
    u"<RANGE MinValue=\"0\" MaxValue=\"10\" NumSteps=\"10\"/></OPTION>"
    u"<OPTION Name=\"Gamma\" Registered=\"True\" Type=\"Float\" Value=\"0.25\">"
    u"<RANGE MinValue=\"0\" MaxValue=\"1\" NumSteps=\"4\"/></OPTION>"
    u"<OPTION Name=\"Quality\" Registered=\"True\" Type=\"Enum\" Value=\"High\">"
    u"<ENUM EnumValue=\"Low\"/><ENUM EnumValue=\"High\"/></OPTION>"
    u"<OPTION Name=\"VSync\" Registered=\"True\" Type=\"Bool\" Value=\"true\"/>"
    u"<OPTION Name=\"Shared\" Registered=\"True\" Type=\"Enum\" Value=\"B\"/>"
    u"<OPTION Name=\"Legacy\" Registered=\"False\" Type=\"Enum\" Value=\"Old\"><ENUM EnumValue=\"Old\"/></OPTION>"
    u"<OPTION Name=\"Extra\" Registered=\"False\" Type=\"Integer\" Value=\"9\">"
    u"<RANGE MinValue=\"0\" MaxValue=\"9\" NumSteps=\"0\"/></OPTION>";

// The file the load under test reads: other values and resolution, a value
// the option refuses, an option of another type, other unmatched options and
// a malformed element.
const char16_t kSecondFile[] =
    u"<RESOLUTION Width=\"1920\" Height=\"1080\" RefreshRate=\"59.94\">"
    u"<ENUM Width=\"1920\" Height=\"1080\" RefreshRate=\"59.94\"/></RESOLUTION>"
    u"<OPTION Name=\"Level\" Registered=\"True\" Type=\"Integer\" Value=\"8\">"
    u"<RANGE MinValue=\"0\" MaxValue=\"10\" NumSteps=\"10\"/></OPTION>"
    u"<OPTION Name=\"Level\" Registered=\"False\" Type=\"Float\" Value=\"1.5\"/>"
    u"<OPTION Name=\"Gamma\" Registered=\"True\" Type=\"Float\" Value=\"0.3\"/>"
    u"<OPTION Name=\"Quality\" Registered=\"True\" Type=\"Enum\" Value=\"Ultra &amp; &lt;more&gt;\"/>"
    u"<OPTION Name=\"VSync\" Registered=\"True\" Type=\"Bool\" Value=\"false\"/>"
    u"<OPTION Name=\"Shared\" Registered=\"True\" Type=\"Enum\" Value=\"C\"/>"
    u"<OPTION Name=\"Shared\" Registered=\"True\" Type=\"Bool\" Value=\"true\"/>"
    u"<OPTION Name=\"Legacy2\" Registered=\"False\" Type=\"Bool\" Value=\"true\"/>"
    u"<OPTION Name=\"Broken\" Type=\"Integer\"/>"
    u"<OPTION Name=\"Wide &#x263A;\" Registered=\"False\" Type=\"Enum\" Value=\"&#9;tab\">"
    u"<ENUM EnumValue=\"&#9;tab\"/><ENUM EnumValue=\"x\"/></OPTION>";

// Options that match none of the registered ones, and one with many short
// allowed strings: enough for the document of a load to take several of
// pugixml's memory pages, with few allocations of the library's own.
constexpr int kManyOptions = 80;
constexpr int kManyChoices = 1200;

std::u16string BuildManyOptions()
{
    std::u16string body;
    for (int i = 0; i < kManyOptions; ++i) {
        const std::string n = std::to_string(i);
        const std::u16string number(n.begin(), n.end());
        body += u"<OPTION Name=\"Unregistered option " + number + u"\" Registered=\"False\" Type=\"" +
                (i % 2 == 0 ? u"Integer\" Value=\"" + number + u"\"><RANGE MinValue=\"0\" MaxValue=\"1000\" NumSteps=\"0\"/>"
                            : u"Enum\" Value=\"Choice " + number + u"\"><ENUM EnumValue=\"Choice " + number + u"\"/>") +
                u"</OPTION>";
    }
    body += u"<OPTION Name=\"Many choices\" Registered=\"False\" Type=\"Enum\" Value=\"c0\">";
    for (int i = 0; i < kManyChoices; ++i) {
        const std::string n = std::to_string(i);
        body += u"<ENUM EnumValue=\"c" + std::u16string(n.begin(), n.end()) + u"\"/>";
    }
    body += u"</OPTION>";
    return body;
}

const std::u16string& ManyOptions()
{
    static const std::u16string body = BuildManyOptions();
    return body;
}

// The bytes of a settings file whose settings element holds body.
std::string SettingsFileBytes(const std::u16string& body)
{
    return Utf16LeBytes(u"<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\"?>\n<ZEL_SDK><GAMESETTINGS>" + body +
                        u"</GAMESETTINGS></ZEL_SDK>\n");
}

// The two files, short and long, made once: the sweeps write them hundreds
// of times.
const std::string& FirstFileBytes(bool manyOptions)
{
    static const std::string shortFile = SettingsFileBytes(kFirstFile);
    static const std::string longFile = SettingsFileBytes(kFirstFile + ManyOptions());
    return manyOptions ? longFile : shortFile;
}

const std::string& SecondFileBytes(bool manyOptions)
{
    static const std::string shortFile = SettingsFileBytes(kSecondFile);
    static const std::string longFile = SettingsFileBytes(kSecondFile + ManyOptions());
    return manyOptions ? longFile : shortFile;
}

// ASCII text as it is, every other unit as \uXXXX.
std::string Narrow(const char16_t* units, std::size_t count)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const char16_t unit = units[i];
        if ((unit >= 0x20 && unit < 0x7F) || unit == u'\n') {
            out.push_back(static_cast<char>(unit));
        } else {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) {
                out.push_back(kHex[(unit >> shift) & 0xF]);
            }
        }
    }
    return out;
}

std::string Narrow(const std::u16string& text)
{
    return Narrow(text.data(), text.size());
}

// UTF-16 little-endian bytes as narrow text (an odd last byte is dropped).
std::string NarrowBytes(const std::string& bytes)
{
    return Narrow(FromUtf16LeBytes(bytes));
}

std::string FloatText(float value)
{
    std::ostringstream out;
    out << std::hexfloat << value;
    return out.str();
}

std::string VariantText(const QORVA_ZEL_Variant& value)
{
    switch (value.Type) {
    case QORVA_ZEL_Integer:
        return "Integer " + std::to_string(value.Value.IntValue);
    case QORVA_ZEL_Float:
        return "Float " + FloatText(value.Value.FloatValue);
    case QORVA_ZEL_Enum:
        return "Enum " + (value.Value.StringValue != nullptr ? Narrow(value.Value.StringValue) : "(null)");
    case QORVA_ZEL_Bool:
        return "Bool " + std::to_string(value.Value.BoolValue);
    default:
        return "type " + std::to_string(static_cast<std::int32_t>(value.Type));
    }
}

// The first line in which two observations differ, both ways.
std::string FirstDifference(const std::string& actual, const std::string& expected)
{
    std::istringstream a(actual);
    std::istringstream e(expected);
    std::string actualLine;
    std::string expectedLine;
    for (int line = 1;; ++line) {
        const bool moreActual = static_cast<bool>(std::getline(a, actualLine));
        const bool moreExpected = static_cast<bool>(std::getline(e, expectedLine));
        if (!moreActual && !moreExpected) {
            return "";
        }
        if (!moreActual || !moreExpected || actualLine != expectedLine) {
            return "\nfirst difference, line " + std::to_string(line) + ":\n  is:        " +
                   (moreActual ? actualLine : "(end)") + "\n  should be: " + (moreExpected ? expectedLine : "(end)");
        }
    }
}

// What the library shows: the answers of its functions as text, and the
// settings file before and after a following save, as bytes.
struct Observation {
    std::string Answers;
    std::string File;
    std::string SavedFile;

    bool operator==(const Observation& other) const
    {
        return Answers == other.Answers && File == other.File && SavedFile == other.SavedFile;
    }
    bool operator!=(const Observation& other) const { return !(*this == other); }
};

// Where two observations differ, readably.
std::string Difference(const Observation& actual, const Observation& expected)
{
    if (actual.Answers != expected.Answers) {
        return FirstDifference(actual.Answers, expected.Answers);
    }
    if (actual.File != expected.File) {
        return "\nthe settings file:" + FirstDifference(NarrowBytes(actual.File), NarrowBytes(expected.File));
    }
    if (actual.SavedFile != expected.SavedFile) {
        return "\nthe file of the following save:" +
               FirstDifference(NarrowBytes(actual.SavedFile), NarrowBytes(expected.SavedFile));
    }
    return "";
}

// The figures over every operation, printed when all of them ran.
struct Figures {
    long long Points = 0;        // trials with an injected failure
    long long PugixmlPoints = 0; // of the "only the N-th" trials, those that failed pugixml
    long long Thrown = 0;        // std::bad_alloc left the function
    long long Reported = 0;      // a failure status came back
    long long Absorbed = 0;      // the function succeeded despite the failure
    long long Inconsistent = 0;  // the state was neither before nor after
    std::map<std::string, long long> PointsByGroup;
};

Figures g_figures;

// Each test case sweeps one group of operations, and CTest runs each on its
// own: the figures are printed as the parts of the groups that ran, which
// scripts/test.sh adds up over the six.
class FigurePrinter : public ::testing::Environment {
public:
    void TearDown() override
    {
        PrintFigurePart("alloc_operations", static_cast<long long>(g_figures.PointsByGroup.size()));
        PrintFigurePart("alloc_points", g_figures.Points);
        for (const auto& [group, points] : g_figures.PointsByGroup) {
            PrintFigurePart("alloc_points_" + group, points);
        }
        PrintFigurePart("alloc_points_pugixml", g_figures.PugixmlPoints);
        PrintFigurePart("alloc_failures_thrown", g_figures.Thrown);
        PrintFigurePart("alloc_failures_reported", g_figures.Reported);
        PrintFigurePart("alloc_failures_absorbed", g_figures.Absorbed);
        PrintFigurePart("alloc_inconsistent_states", g_figures.Inconsistent);
    }
};

[[maybe_unused]] const auto* const g_printer = ::testing::AddGlobalTestEnvironment(new FigurePrinter);

// One exported call under test.
struct Operation {
    Operation(std::string name, std::function<void()> prepare, std::function<QORVA_ZEL_Status()> run)
        : Name(std::move(name)), Prepare(std::move(prepare)), Run(std::move(run))
    {
    }

    std::string Name;
    std::function<void()> Prepare;                // the starting state, nothing armed
    std::function<QORVA_ZEL_Status()> Run;        // the call, armed
    QORVA_ZEL_Status Success = QORVA_ZEL_OK;      // its status when it works
    std::vector<QORVA_ZEL_Status> Reported;       // statuses that report the failure
    std::function<void()> AfterFailure;           // what a failure documentedly leaves, if not the start
    std::function<void(bool failed)> CheckOutput; // what the call handed out, if anything
    bool PugixmlFailureIsReported = false;        // a failed pugixml allocation gives a status, never a throw
};

class AllocationFailureTest : public SettingsFileTest {
protected:
    // Initialised afresh, with options and resolutions registered, the first
    // file loaded (options matching none are kept) and then some values and
    // the resolution changed, so the dirty check has something to tell.
    void StartingState(bool manyOptions = false)
    {
        // Released whatever state the last trial left (a failed initialisation
        // leaves the library uninitialised), then initialised afresh.
        const QORVA_ZEL_Status released = QORVA_ZEL_ReleaseSDK();
        ASSERT_TRUE(released == QORVA_ZEL_OK || released == QORVA_ZEL_ERROR_NOT_INITIALIZED) << released;
        const QORVA_ZEL_ApplicationInfo info = App().Info();
        ASSERT_EQ(QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion), QORVA_ZEL_OK);
        ASSERT_EQ(Register(IntOption(QORVA_ZEL_TEXT("Level"), 1, 0, 10, 10)), QORVA_ZEL_OK);
        ASSERT_EQ(Register(FloatOption(QORVA_ZEL_TEXT("Gamma"), 0.5f, 0.0f, 1.0f, 4)), QORVA_ZEL_OK);
        ASSERT_EQ(Register(EnumOption(QORVA_ZEL_TEXT("Quality"), kQualities[0], kQualities, 3)), QORVA_ZEL_OK);
        ASSERT_EQ(Register(BoolOption(QORVA_ZEL_TEXT("VSync"), 0)), QORVA_ZEL_OK);
        ASSERT_EQ(Register(BoolOption(QORVA_ZEL_TEXT("Shared"), 0)), QORVA_ZEL_OK);
        ASSERT_EQ(Register(EnumOption(QORVA_ZEL_TEXT("Shared"), kLetters[0], kLetters, 3)), QORVA_ZEL_OK);
        ASSERT_EQ(QORVA_ZEL_RegisterResolutions(kModes, 3), QORVA_ZEL_OK);
        WriteBytes(SettingsPath(), FirstFileBytes(manyOptions));
        ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
        ASSERT_EQ(SetInt(QORVA_ZEL_TEXT("Level"), 2), QORVA_ZEL_OK);
        ASSERT_EQ(SetEnum(QORVA_ZEL_TEXT("Quality"), kQualities[0]), QORVA_ZEL_OK);
        ASSERT_EQ(QORVA_ZEL_SetResolution(&kModes[2]), QORVA_ZEL_OK);
        ASSERT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    }

    // Everything the library shows, and last the bytes of a save (which
    // changes the snapshot, so it comes after the rest).
    Observation Observe() const
    {
        std::ostringstream out;
        QORVA_ZEL_Resolution mode{};
        const QORVA_ZEL_Status resolution = QORVA_ZEL_GetResolution(&mode);
        out << "resolution " << resolution << " " << mode.Width << "x" << mode.Height << "@"
            << FloatText(mode.RefreshRate) << "\n";
        out << "dirty " << QORVA_ZEL_CheckForDirtyOptions() << "\n";
        for (const QORVA_ZEL_Char* name : kProbedNames) {
            QORVA_ZEL_Variant value{};
            const QORVA_ZEL_Status status = QORVA_ZEL_GetOptionValue(&value, name);
            out << "value " << Narrow(name) << " " << status << " " << VariantText(value) << "\n";
            QORVA_ZEL_ReleaseVariant(&value);
        }
        for (const std::string& entry : DirectoryEntries()) {
            out << "entry " << entry << "\n";
        }
        Observation observation;
        observation.File = FileBytesOrNone();
        out << "save " << QORVA_ZEL_SaveConfigFile(0) << "\n";
        observation.SavedFile = FileBytesOrNone();
        observation.Answers = out.str();
        return observation;
    }

    std::string FileBytesOrNone() const
    {
        if (!std::filesystem::exists(SettingsPath())) {
            return "(none)";
        }
        return ReadBytes(SettingsPath());
    }

    // Another thread calls in and comes back: the lock is free.
    static void ExpectLockFree()
    {
        std::promise<QORVA_ZEL_Status> answer;
        std::future<QORVA_ZEL_Status> future = answer.get_future();
        std::thread other([&answer] {
            QORVA_ZEL_Resolution mode{};
            const QORVA_ZEL_Status resolution = QORVA_ZEL_GetResolution(&mode);
            const QORVA_ZEL_Status dirty = QORVA_ZEL_CheckForDirtyOptions();
            answer.set_value(resolution == QORVA_ZEL_ERROR_NOT_INITIALIZED ? resolution : dirty);
        });
        // Only a guard against hanging: a free lock answers at once.
        if (future.wait_for(std::chrono::minutes(1)) != std::future_status::ready) {
            other.detach();
            FAIL() << "another thread could not take the library's lock";
        }
        other.join();
        const QORVA_ZEL_Status status = future.get();
        EXPECT_TRUE(status == QORVA_ZEL_OK || status == QORVA_ZEL_ERROR_OPTIONS_DIRTY ||
                    status == QORVA_ZEL_ERROR_NOT_INITIALIZED)
            << status;
    }

    // Runs the operation with its N-th allocation failing, for N = 1, 2, ...
    // until it completes without a failure, in both modes.
    void Sweep(const std::string& group, const Operation& operation)
    {
        // What the state must be after a failure and after a success.
        ASSERT_NO_FATAL_FAILURE(operation.Prepare());
        if (operation.AfterFailure) {
            ASSERT_NO_FATAL_FAILURE(operation.AfterFailure());
        }
        const Observation failedState = Observe();
        ASSERT_NO_FATAL_FAILURE(operation.Prepare());
        ASSERT_EQ(operation.Run(), operation.Success);
        if (operation.CheckOutput) {
            operation.CheckOutput(false);
        }
        const Observation succeededState = Observe();

        for (const allocation::Mode mode : {allocation::Mode::OnlyNth, allocation::Mode::FromNthOn}) {
            const char* modeName = mode == allocation::Mode::OnlyNth ? "only the N-th" : "from the N-th on";
            for (std::uint64_t n = 1;; ++n) {
                SCOPED_TRACE(operation.Name + ", " + modeName + " failing, N = " + std::to_string(n));
                ASSERT_LT(n, 100000u) << "the operation never completes";
                ASSERT_NO_FATAL_FAILURE(operation.Prepare());

                QORVA_ZEL_Status status = 0;
                bool thrown = false;
                allocation::Arm(n, mode);
                try {
                    status = operation.Run();
                } catch (const std::bad_alloc&) {
                    thrown = true;
                }
                const allocation::Tally tally = allocation::Disarm();

                if (tally.Failures == 0) {
                    // Past the last allocation: the call ran as usual.
                    EXPECT_FALSE(thrown);
                    EXPECT_EQ(status, operation.Success);
                    if (operation.CheckOutput) {
                        operation.CheckOutput(false);
                    }
                    const Observation state = Observe();
                    EXPECT_TRUE(state == succeededState) << Difference(state, succeededState);
                    break;
                }

                ++g_figures.Points;
                ++g_figures.PointsByGroup[group];
                if (mode == allocation::Mode::OnlyNth && tally.FirstFailureInPugixml) {
                    ++g_figures.PugixmlPoints;
                }
                ASSERT_NO_FATAL_FAILURE(ExpectLockFree());

                const bool reported = !thrown && std::find(operation.Reported.begin(), operation.Reported.end(),
                                                           status) != operation.Reported.end();
                if (!thrown && !reported) {
                    EXPECT_EQ(status, operation.Success) << "neither the normal status nor a failure";
                }
                if (operation.PugixmlFailureIsReported && tally.FirstFailureInPugixml) {
                    EXPECT_FALSE(thrown) << "pugixml's allocation failure left the call as an exception";
                    EXPECT_TRUE(reported) << status;
                }
                g_figures.Thrown += thrown ? 1 : 0;
                g_figures.Reported += reported ? 1 : 0;
                g_figures.Absorbed += thrown || reported ? 0 : 1;

                const bool failed = thrown || reported;
                if (operation.CheckOutput) {
                    operation.CheckOutput(failed);
                }
                const Observation state = Observe();
                const Observation& expected = failed ? failedState : succeededState;
                EXPECT_TRUE(state == expected)
                    << (failed ? "a failed call changed the library" : "a call that absorbed the failure gave another result")
                    << Difference(state, expected);
                if (state != expected) {
                    ++g_figures.Inconsistent;
                }
            }
        }
        g_figures.PointsByGroup.emplace(group, 0);
    }

};

} // namespace

TEST_F(AllocationFailureTest, Initialise)
{
    const Operation initialise(
        "initialise",
        [this] {
            // The saved resolution outlives a release; a save before it fixes it.
            ASSERT_NO_FATAL_FAILURE(StartingState());
            ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
            ASSERT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
        },
        [this] {
            const QORVA_ZEL_ApplicationInfo info = App().Info();
            return QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion);
        });
    Sweep("initialise", initialise);
    EXPECT_FALSE(LibraryIsUninitialised());
}

TEST_F(AllocationFailureTest, RegisterEachType)
{
    const QORVA_ZEL_OptionDesc descs[] = {
        IntOption(QORVA_ZEL_TEXT("NewLevel"), 5, 0, 10, 0),
        FloatOption(QORVA_ZEL_TEXT("NewGamma"), 0.75f, 0.0f, 1.0f, 0),
        EnumOption(QORVA_ZEL_TEXT("NewQuality"), kQualities[1], kQualities, 3),
        BoolOption(QORVA_ZEL_TEXT("NewVSync"), 1),
        // A name taken by another type: the name's entry grows.
        IntOption(QORVA_ZEL_TEXT("Quality"), 3, 0, 9, 3),
    };
    for (const QORVA_ZEL_OptionDesc& desc : descs) {
        const Operation registration(
            "register " + Narrow(desc.Name) + " of type " + std::to_string(desc.Type),
            [this] { StartingState(); }, [&desc] { return QORVA_ZEL_RegisterOption(&desc); });
        Sweep("register", registration);
    }

    // The list of resolutions is emptied before it is filled; a failure
    // leaves it empty.
    Operation resolutions(
        "register resolutions", [this] { StartingState(); },
        [] { return QORVA_ZEL_RegisterResolutions(kOtherModes, 4); });
    resolutions.AfterFailure = [] { ASSERT_EQ(QORVA_ZEL_RegisterResolutions(kOtherModes, 0), QORVA_ZEL_OK); };
    Sweep("register", resolutions);
}

TEST_F(AllocationFailureTest, GetEachType)
{
    struct Case {
        const QORVA_ZEL_Char* Name;
        QORVA_ZEL_Status Status;
        std::string Value;
    };
    const Case cases[] = {
        {QORVA_ZEL_TEXT("Level"), QORVA_ZEL_OK, "Integer 2"},
        {QORVA_ZEL_TEXT("Gamma"), QORVA_ZEL_OK, "Float " + FloatText(0.25f)},
        {QORVA_ZEL_TEXT("Quality"), QORVA_ZEL_OK, "Enum Low"},
        {QORVA_ZEL_TEXT("VSync"), QORVA_ZEL_OK, "Bool 1"},
        {QORVA_ZEL_TEXT("Shared"), QORVA_ZEL_ERROR_AMBIGUOUS_OPTION, "Enum B"}, // the Enum, registered last
    };
    static const QORVA_ZEL_Char kUntouched[] = QORVA_ZEL_TEXT("untouched");
    for (const Case& c : cases) {
        QORVA_ZEL_Variant out{};
        Operation get(
            "get " + Narrow(c.Name),
            [this, &out] {
                StartingState();
                out.Type = static_cast<QORVA_ZEL_OptionType>(0x5EED);
                out.Value.StringValue = kUntouched;
            },
            [&out, &c] { return QORVA_ZEL_GetOptionValue(&out, c.Name); });
        get.Success = c.Status;
        get.CheckOutput = [&out, &c](bool failed) {
            if (failed) {
                // Nothing was handed out.
                EXPECT_EQ(static_cast<std::int32_t>(out.Type), 0x5EED);
                EXPECT_EQ(out.Value.StringValue, kUntouched);
                return;
            }
            EXPECT_EQ(VariantText(out), c.Value);
            QORVA_ZEL_ReleaseVariant(&out);
        };
        Sweep("get", get);
    }
}

TEST_F(AllocationFailureTest, SetEachType)
{
    const std::pair<const QORVA_ZEL_Char*, QORVA_ZEL_Variant> cases[] = {
        {QORVA_ZEL_TEXT("Level"), IntVariant(9)},
        {QORVA_ZEL_TEXT("Gamma"), FloatVariant(1.0f)},
        {QORVA_ZEL_TEXT("Quality"), EnumVariant(kQualities[2])},
        {QORVA_ZEL_TEXT("VSync"), BoolVariant(0)},
        {QORVA_ZEL_TEXT("Shared"), EnumVariant(kLetters[2])},
    };
    for (const auto& [name, value] : cases) {
        const Operation set(
            "set " + Narrow(name), [this] { StartingState(); },
            [name = name, value = value] { return QORVA_ZEL_SetOptionValue(&value, name); });
        Sweep("set", set);
    }
}

TEST_F(AllocationFailureTest, Load)
{
    for (const bool manyOptions : {false, true}) {
        Operation load(
            manyOptions ? "load of a long file" : "load",
            [this, manyOptions] {
                ASSERT_NO_FATAL_FAILURE(StartingState());
                WriteBytes(SettingsPath(), SecondFileBytes(manyOptions));
            },
            [] { return QORVA_ZEL_LoadConfigFile(); });
        load.Reported = {QORVA_ZEL_ERROR_FILE};
        load.PugixmlFailureIsReported = true;
        Sweep("load", load);
    }
}

TEST_F(AllocationFailureTest, Save)
{
    for (const bool manyOptions : {false, true}) {
        for (const std::uint32_t discard : {0u, 1u}) {
            Operation save(
                std::string(manyOptions ? "save of a long file" : "save") + " with discard " + std::to_string(discard),
                [this, manyOptions] { StartingState(manyOptions); },
                [discard] { return QORVA_ZEL_SaveConfigFile(discard); });
            save.Reported = {QORVA_ZEL_ERROR_FILE};
            Sweep("save", save);
        }
    }
}
