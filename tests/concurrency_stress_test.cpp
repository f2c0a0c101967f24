// Several threads calling the exported functions at once. First a few
// threads, each registering, setting and reading options of its own: every
// registration and every last value arrives intact. Then eight threads
// calling every exported function at once, where each call's status
// must be one the call may give in that situation, every value read must be
// one that some thread set successfully (or the default, or one a load
// brought back from a file, which a save wrote from such values), and once
// the threads have joined a save leaves nothing to save.
//
// The threads record what they saw; the checks run after the join, so that a
// failure report does not race with the other threads. Iteration counts are
// fixed and nothing waits for time.
#include "support/qorva_zel_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace qorva_zel_test;

// ---- Serialised calls ------------------------------------------------------------

using Registration = InitializedLibrary;

// The i-th option of thread t.
std::u16string ThreadOption(int t, int i)
{
    return u"T" + std::u16string(1, static_cast<char16_t>(u'0' + t)) + u"_" +
           std::u16string(1, static_cast<char16_t>(u'A' + i));
}

// Calls from several threads are serialised: every registration and every
// last value arrives intact.
TEST_F(Registration, CallsFromSeveralThreadsAreSerialised)
{
    constexpr int kThreads = 4;
    constexpr int kOptionsPerThread = 50;
    constexpr int kRounds = 20;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t]() {
            for (int i = 0; i < kOptionsPerThread; ++i) {
                const std::u16string name = ThreadOption(t, i);
                const QORVA_ZEL_OptionDesc desc = EnumOption(name.c_str(), u"Low", kLevels, 3);
                EXPECT_EQ(QORVA_ZEL_RegisterOption(&desc), QORVA_ZEL_OK);
                for (int round = 0; round < kRounds; ++round) {
                    const QORVA_ZEL_Variant value = EnumVariant(kLevels[(i + round) % 3]);
                    EXPECT_EQ(QORVA_ZEL_SetOptionValue(&value, name.c_str()), QORVA_ZEL_OK);
                    QORVA_ZEL_Variant out{};
                    EXPECT_EQ(QORVA_ZEL_GetOptionValue(&out, name.c_str()), QORVA_ZEL_OK);
                    QORVA_ZEL_ReleaseVariant(&out);
                    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kOptionsPerThread; ++i) {
            EXPECT_EQ(GetEnum(ThreadOption(t, i).c_str()), kLevels[(i + kRounds - 1) % 3]);
        }
    }
}

// ---- Every function from eight threads -----------------------------------------

constexpr int kThreads = 8;

// ---- The game the threads share ----------------------------------------------------

const QORVA_ZEL_Char* const kShadows = QORVA_ZEL_TEXT("Shadows");
const QORVA_ZEL_Char* const kGamma = QORVA_ZEL_TEXT("Gamma");
const QORVA_ZEL_Char* const kQuality = QORVA_ZEL_TEXT("Quality");
const QORVA_ZEL_Char* const kVSync = QORVA_ZEL_TEXT("VSync");
const QORVA_ZEL_Char* const kQualities[] = {QORVA_ZEL_TEXT("Low"), QORVA_ZEL_TEXT("Medium"), QORVA_ZEL_TEXT("High"),
                                            QORVA_ZEL_TEXT("Ultra")};

// A value a thread offers to an option, and what the set must answer.
struct Candidate {
    QORVA_ZEL_Variant Value;
    QORVA_ZEL_Status Expected;
};

// Index 0 of each list is the option's default. Only values that a set
// accepts may ever be read back.
const std::vector<Candidate>& ShadowsCandidates()
{
    static const std::vector<Candidate> list = {
        {IntVariant(50), QORVA_ZEL_OK},  {IntVariant(0), QORVA_ZEL_OK},
        {IntVariant(20), QORVA_ZEL_OK},  {IntVariant(40), QORVA_ZEL_OK},
        {IntVariant(80), QORVA_ZEL_OK},  {IntVariant(100), QORVA_ZEL_OK},
        {IntVariant(55), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP},
        {IntVariant(5), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP},
        {IntVariant(150), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED},
        {IntVariant(-10), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED},
        {FloatVariant(20.0f), QORVA_ZEL_ERROR_TYPE_MISMATCH},
    };
    return list;
}

const std::vector<Candidate>& GammaCandidates()
{
    static const std::vector<Candidate> list = {
        {FloatVariant(1.0f), QORVA_ZEL_OK},   {FloatVariant(0.0f), QORVA_ZEL_OK},
        {FloatVariant(0.25f), QORVA_ZEL_OK},  {FloatVariant(1.5f), QORVA_ZEL_OK},
        {FloatVariant(2.0f), QORVA_ZEL_OK},
        {FloatVariant(0.3f), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP},
        {FloatVariant(2.5f), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED},
        {FloatVariant(std::nanf("")), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED},
        {IntVariant(1), QORVA_ZEL_ERROR_TYPE_MISMATCH},
    };
    return list;
}

const std::vector<Candidate>& QualityCandidates()
{
    static const std::vector<Candidate> list = {
        {EnumVariant(kQualities[1]), QORVA_ZEL_OK},
        {EnumVariant(kQualities[0]), QORVA_ZEL_OK},
        {EnumVariant(kQualities[2]), QORVA_ZEL_OK},
        {EnumVariant(kQualities[3]), QORVA_ZEL_OK},
        {EnumVariant(QORVA_ZEL_TEXT("low")), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED},
        {EnumVariant(QORVA_ZEL_TEXT("")), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED},
        {BoolVariant(1), QORVA_ZEL_ERROR_TYPE_MISMATCH},
    };
    return list;
}

// A Bool keeps any byte; a load gives 0 or 1.
const std::vector<Candidate>& VSyncCandidates()
{
    static const std::vector<Candidate> list = {
        {BoolVariant(1), QORVA_ZEL_OK},
        {BoolVariant(0), QORVA_ZEL_OK},
        {BoolVariant(2), QORVA_ZEL_OK},
        {IntVariant(1), QORVA_ZEL_ERROR_TYPE_MISMATCH},
    };
    return list;
}

struct SharedOption {
    const QORVA_ZEL_Char* Name;
    const std::vector<Candidate>& (*Candidates)();
};
const SharedOption kOptions[] = {
    {kShadows, ShadowsCandidates}, {kGamma, GammaCandidates}, {kQuality, QualityCandidates}, {kVSync, VSyncCandidates}};
constexpr std::size_t kOptionCount = std::size(kOptions);

const QORVA_ZEL_Resolution kModes[] = {
    {1920, 1080, 60.0f}, {2560, 1440, 143.856f}, {1280, 720, 59.94f}};
const QORVA_ZEL_Resolution kUnlistedMode{800, 600, 60.0f};
constexpr std::size_t kModeCount = std::size(kModes);
// Indices of modes seen besides kModes: the mode right after initialisation,
// and the unlisted one.
constexpr std::size_t kInitialIndex = kModeCount;
constexpr std::size_t kUnlistedIndex = kModeCount + 1;

void RegisterGame()
{
    const QORVA_ZEL_OptionDesc descs[] = {
        IntOption(kShadows, 50, 0, 100, 10),
        FloatOption(kGamma, 1.0f, 0.0f, 2.0f, 8),
        EnumOption(kQuality, kQualities[1], kQualities, 4),
        BoolOption(kVSync, 1),
    };
    for (const QORVA_ZEL_OptionDesc& desc : descs) {
        ASSERT_EQ(QORVA_ZEL_RegisterOption(&desc), QORVA_ZEL_OK);
    }
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(kModes, kModeCount), QORVA_ZEL_OK);
}

bool SameVariant(const QORVA_ZEL_Variant& a, const QORVA_ZEL_Variant& b)
{
    if (a.Type != b.Type) {
        return false;
    }
    switch (a.Type) {
    case QORVA_ZEL_Integer:
        return a.Value.IntValue == b.Value.IntValue;
    case QORVA_ZEL_Float:
        return a.Value.FloatValue == b.Value.FloatValue;
    case QORVA_ZEL_Enum:
        return a.Value.StringValue != nullptr && b.Value.StringValue != nullptr &&
               QzString(a.Value.StringValue) == QzString(b.Value.StringValue);
    case QORVA_ZEL_Bool:
        return a.Value.BoolValue == b.Value.BoolValue;
    default:
        return false;
    }
}

// The candidate a read value is, or -1 for a value nobody offered.
int CandidateIndex(const std::vector<Candidate>& list, const QORVA_ZEL_Variant& value)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (SameVariant(list[i].Value, value)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// ---- What one thread saw ----------------------------------------------------------

struct Observations {
    std::vector<std::string> Failures;
    // Per option, the candidates this thread set successfully and read.
    std::array<std::set<int>, kOptionCount> Accepted;
    std::array<std::set<int>, kOptionCount> Read;
    std::set<std::size_t> ModesSet; // indices into kModes, or kUnlistedIndex
    std::set<std::size_t> ModesRead;
    // The options this thread registered of its own, and the shared names it
    // won the registration of.
    int OwnRegistered = 0;
    int SharedWon = 0;
    std::uint64_t Calls = 0;

    void Fail(const std::string& what)
    {
        if (Failures.size() < 20) {
            Failures.push_back(what);
        }
    }
    // Records a failure unless status is one of the allowed ones.
    void ExpectStatus(const char* call, QORVA_ZEL_Status status, std::initializer_list<QORVA_ZEL_Status> allowed)
    {
        ++Calls;
        for (QORVA_ZEL_Status ok : allowed) {
            if (status == ok) {
                return;
            }
        }
        std::ostringstream text;
        text << call << " returned " << status << ", allowed:";
        for (QORVA_ZEL_Status ok : allowed) {
            text << ' ' << ok;
        }
        Fail(text.str());
    }
};

// How a worker treats the library's lifetime: in the steady run it stays
// initialised throughout; in the other one thread releases and initialises
// it again while the others call in, so -100 and -20 become possible too.
enum class Lifetime { Steady, Cycling };

class Worker {
public:
    Worker(int index, Lifetime lifetime, int iterations, const QzString& configPath, Observations& seen)
        : index_(index), lifetime_(lifetime), iterations_(iterations), configPath_(configPath), seen_(seen),
          random_(static_cast<std::uint32_t>(20261208 + index))
    {
    }

    void Run()
    {
        for (int i = 0; i < iterations_; ++i) {
            Step(i);
        }
    }

private:
    bool Cycling() const { return lifetime_ == Lifetime::Cycling; }

    // A call that needs the library (and, with needsGame, the game's options)
    // must give `expected`; in the cycling run also -100, as another thread
    // may have just released the library, and -20 (needsGame), as it may not
    // have registered the game again yet.
    void Expect(const char* call, QORVA_ZEL_Status status, QORVA_ZEL_Status expected, bool needsGame = false)
    {
        if (!Cycling()) {
            seen_.ExpectStatus(call, status, {expected});
        } else if (needsGame) {
            seen_.ExpectStatus(call, status, {expected, QORVA_ZEL_ERROR_NOT_INITIALIZED, QORVA_ZEL_ERROR_OPTION_NOT_FOUND});
        } else {
            seen_.ExpectStatus(call, status, {expected, QORVA_ZEL_ERROR_NOT_INITIALIZED});
        }
    }

    std::size_t Pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_); }

    void Step(int iteration)
    {
        if (Cycling() && index_ == 0) {
            Restart(iteration);
            return;
        }
        switch (Pick(20)) {
        case 0:
        case 1:
        case 2:
        case 3:
            SetShared();
            break;
        case 4:
        case 5:
        case 6:
        case 7:
            GetShared();
            break;
        case 8:
            RegisterOwn(iteration);
            break;
        case 9:
            RegisterShared(iteration);
            break;
        case 10:
            SetMode();
            break;
        case 11:
            GetMode();
            break;
        case 12:
            Expect("RegisterResolutions", RegisterModes(), QORVA_ZEL_OK);
            break;
        case 13: {
            const QORVA_ZEL_Status status = QORVA_ZEL_CheckForDirtyOptions();
            if (Cycling()) {
                seen_.ExpectStatus("CheckForDirtyOptions", status,
                                   {QORVA_ZEL_OK, QORVA_ZEL_ERROR_OPTIONS_DIRTY, QORVA_ZEL_ERROR_NOT_INITIALIZED});
            } else {
                seen_.ExpectStatus("CheckForDirtyOptions", status, {QORVA_ZEL_OK, QORVA_ZEL_ERROR_OPTIONS_DIRTY});
            }
            break;
        }
        case 14:
            Expect("SaveConfigFile", QORVA_ZEL_SaveConfigFile(static_cast<std::uint32_t>(Pick(4))), QORVA_ZEL_OK);
            break;
        case 15:
            // The file exists from before the threads started; saves replace it
            // atomically, so a load never sees half a file.
            Expect("LoadConfigFile", QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
            break;
        case 16: {
            AppStrings app;
            const QORVA_ZEL_ApplicationInfo info = app.Info();
            // -101 comes before the version check. While thread 0 of the cycling
            // run may have released the library, only a wrong version is offered,
            // so that no other thread initialises it.
            QORVA_ZEL_Version version = kSupportedVersion;
            version.Minor += Cycling() ? 1u : static_cast<std::uint32_t>(Pick(2));
            const QORVA_ZEL_Status status = QORVA_ZEL_InitializeSDK(&info, &version);
            if (Cycling()) {
                seen_.ExpectStatus("InitializeSDK", status,
                                   {QORVA_ZEL_ERROR_ALREADY_INITIALIZED, QORVA_ZEL_ERROR_VERSION_MISMATCH});
            } else {
                seen_.ExpectStatus("InitializeSDK", status, {QORVA_ZEL_ERROR_ALREADY_INITIALIZED});
            }
            break;
        }
        case 17: {
            ++seen_.Calls;
            const QORVA_ZEL_Version version = QORVA_ZEL_GetVersion();
            if (version.Major != kSupportedVersion.Major || version.Minor != kSupportedVersion.Minor ||
                version.Build != kSupportedVersion.Build || version.Revision != kSupportedVersion.Revision) {
                seen_.Fail("GetVersion returned another version");
            }
            break;
        }
        case 18: {
            seen_.Calls += 2;
            QORVA_ZEL_ReleaseVariant(nullptr);
            QORVA_ZEL_Variant other = IntVariant(1234);
            QORVA_ZEL_ReleaseVariant(&other);
            if (other.Type != QORVA_ZEL_Integer || other.Value.IntValue != 1234) {
                seen_.Fail("ReleaseVariant changed an Integer variant");
            }
            break;
        }
        default:
            OwnOptions();
            break;
        }
    }

    void SetShared()
    {
        const std::size_t option = Pick(kOptionCount);
        const std::vector<Candidate>& list = kOptions[option].Candidates();
        const std::size_t pick = 1 + Pick(list.size() - 1); // the default is never set
        const QORVA_ZEL_Status status = QORVA_ZEL_SetOptionValue(&list[pick].Value, kOptions[option].Name);
        Expect("SetOptionValue", status, list[pick].Expected, true);
        if (status == QORVA_ZEL_OK) {
            seen_.Accepted[option].insert(static_cast<int>(pick));
        }
    }

    void GetShared()
    {
        const std::size_t option = Pick(kOptionCount);
        QORVA_ZEL_Variant value{};
        const QORVA_ZEL_Status status = QORVA_ZEL_GetOptionValue(&value, kOptions[option].Name);
        Expect("GetOptionValue", status, QORVA_ZEL_OK, true);
        if (status != QORVA_ZEL_OK) {
            return;
        }
        const int index = CandidateIndex(kOptions[option].Candidates(), value);
        if (index < 0 || kOptions[option].Candidates()[static_cast<std::size_t>(index)].Expected != QORVA_ZEL_OK) {
            seen_.Fail("GetOptionValue handed out a value no set may have stored");
        } else {
            seen_.Read[option].insert(index);
        }
        QORVA_ZEL_ReleaseVariant(&value);
        ++seen_.Calls;
        if (value.Type == QORVA_ZEL_Enum && value.Value.StringValue != nullptr) {
            seen_.Fail("ReleaseVariant left the string pointer");
        }
    }

    // Options of this thread alone: registered once each, then set and read.
    void RegisterOwn(int iteration)
    {
        if (Cycling()) {
            return; // a restart would forget them
        }
        const QzString name = OwnName(seen_.OwnRegistered);
        const QORVA_ZEL_OptionDesc desc = IntOption(name.c_str(), -1, -1, 1000000, 0);
        Expect("RegisterOption", QORVA_ZEL_RegisterOption(&desc), QORVA_ZEL_OK);
        ++seen_.OwnRegistered;
        // The game's own name and type again is refused.
        const QORVA_ZEL_OptionDesc again = IntOption(kShadows, iteration, 0, 100, 10);
        Expect("RegisterOption", QORVA_ZEL_RegisterOption(&again), QORVA_ZEL_ERROR_ALREADY_REGISTERED);
    }

    void OwnOptions()
    {
        if (seen_.OwnRegistered == 0) {
            return;
        }
        const QzString name = OwnName(static_cast<int>(Pick(static_cast<std::size_t>(seen_.OwnRegistered))));
        // Values are iteration-free: this thread sets only 0..999 to its own
        // options, so anything else read back (but the default -1) is wrong.
        const QORVA_ZEL_Variant value = IntVariant(static_cast<std::int32_t>(Pick(1000)));
        Expect("SetOptionValue", QORVA_ZEL_SetOptionValue(&value, name.c_str()), QORVA_ZEL_OK);
        QORVA_ZEL_Variant read{};
        Expect("GetOptionValue", QORVA_ZEL_GetOptionValue(&read, name.c_str()), QORVA_ZEL_OK);
        if (read.Type != QORVA_ZEL_Integer || read.Value.IntValue < -1 || read.Value.IntValue >= 1000) {
            seen_.Fail("an option of one thread holds a value it never set");
        }
    }

    QzString OwnName(int k) const
    {
        std::string ascii = "Thread" + std::to_string(index_) + ".Option" + std::to_string(k);
        return QzString(ascii.begin(), ascii.end());
    }

    // Every thread tries to register the same names; exactly one wins each.
    void RegisterShared(int iteration)
    {
        if (Cycling()) {
            return;
        }
        const std::string ascii = "Shared." + std::to_string(iteration % 64);
        const QzString name(ascii.begin(), ascii.end());
        const QORVA_ZEL_OptionDesc desc = BoolOption(name.c_str(), 0);
        const QORVA_ZEL_Status status = QORVA_ZEL_RegisterOption(&desc);
        seen_.ExpectStatus("RegisterOption", status, {QORVA_ZEL_OK, QORVA_ZEL_ERROR_ALREADY_REGISTERED});
        if (status == QORVA_ZEL_OK) {
            ++seen_.SharedWon;
        }
    }

    // The same three modes in some order: the list's contents never change.
    QORVA_ZEL_Status RegisterModes()
    {
        std::array<QORVA_ZEL_Resolution, kModeCount> modes{};
        std::copy(std::begin(kModes), std::end(kModes), modes.begin());
        std::shuffle(modes.begin(), modes.end(), random_);
        return QORVA_ZEL_RegisterResolutions(modes.data(), static_cast<std::uint32_t>(modes.size()));
    }

    void SetMode()
    {
        const std::size_t pick = Pick(kModeCount + 1);
        if (pick == kModeCount) {
            // Not listed. In the cycling run the list is empty for a moment
            // after each initialisation, and an empty list takes any mode.
            const QORVA_ZEL_Status status = QORVA_ZEL_SetResolution(&kUnlistedMode);
            if (Cycling()) {
                seen_.ExpectStatus("SetResolution", status,
                                   {QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED, QORVA_ZEL_ERROR_NOT_INITIALIZED, QORVA_ZEL_OK});
            } else {
                seen_.ExpectStatus("SetResolution", status, {QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED});
            }
            if (status == QORVA_ZEL_OK) {
                seen_.ModesSet.insert(kUnlistedIndex);
            }
            return;
        }
        const QORVA_ZEL_Status status = QORVA_ZEL_SetResolution(&kModes[pick]);
        Expect("SetResolution", status, QORVA_ZEL_OK);
        if (status == QORVA_ZEL_OK) {
            seen_.ModesSet.insert(pick);
        }
    }

    void GetMode()
    {
        QORVA_ZEL_Resolution mode{};
        const QORVA_ZEL_Status status = QORVA_ZEL_GetResolution(&mode);
        Expect("GetResolution", status, QORVA_ZEL_OK);
        if (status != QORVA_ZEL_OK) {
            return;
        }
        for (std::size_t i = 0; i < kModeCount; ++i) {
            if (SameMode(mode, kModes[i])) {
                seen_.ModesRead.insert(i);
                return;
            }
        }
        if (SameMode(mode, QORVA_ZEL_Resolution{})) {
            seen_.ModesRead.insert(kInitialIndex);
            return;
        }
        if (SameMode(mode, kUnlistedMode)) {
            seen_.ModesRead.insert(kUnlistedIndex);
            return;
        }
        seen_.Fail("GetResolution handed out a mode nobody set");
    }

    // The cycling run's thread 0: release, initialise, register the game.
    void Restart(int iteration)
    {
        seen_.ExpectStatus("ReleaseSDK", QORVA_ZEL_ReleaseSDK(), {QORVA_ZEL_OK});
        AppStrings app;
        app.ConfigPath = configPath_;
        const QORVA_ZEL_ApplicationInfo info = app.Info();
        seen_.ExpectStatus("InitializeSDK", QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion), {QORVA_ZEL_OK});
        const QORVA_ZEL_OptionDesc descs[] = {
            IntOption(kShadows, 50, 0, 100, 10),
            FloatOption(kGamma, 1.0f, 0.0f, 2.0f, 8),
            EnumOption(kQuality, kQualities[1], kQualities, 4),
            BoolOption(kVSync, 1),
        };
        for (const QORVA_ZEL_OptionDesc& desc : descs) {
            seen_.ExpectStatus("RegisterOption", QORVA_ZEL_RegisterOption(&desc), {QORVA_ZEL_OK});
        }
        seen_.ExpectStatus("RegisterResolutions", RegisterModes(), {QORVA_ZEL_OK});
        if (iteration % 2 == 0) {
            seen_.ExpectStatus("LoadConfigFile", QORVA_ZEL_LoadConfigFile(), {QORVA_ZEL_OK});
        }
    }

    int index_;
    Lifetime lifetime_;
    int iterations_;
    QzString configPath_;
    Observations& seen_;
    std::mt19937 random_;
};

class ConcurrencyStress : public InitializedLibrary {
protected:
    void SetUp() override
    {
        InitializedLibrary::SetUp();
        RegisterGame();
        // A file to load from the first call on.
        ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    }

    // Runs the workers to completion and checks what they saw.
    void RunWorkers(Lifetime lifetime, int iterations)
    {
        std::vector<Observations> seen(kThreads);
        std::vector<Worker> workers;
        workers.reserve(kThreads);
        for (int t = 0; t < kThreads; ++t) {
            workers.emplace_back(t, lifetime, iterations, App().ConfigPath, seen[static_cast<std::size_t>(t)]);
        }
        std::atomic<int> ready{0};
        std::vector<std::thread> threads;
        for (Worker& worker : workers) {
            threads.emplace_back([&worker, &ready] {
                // Start together, so that the calls overlap from the first.
                ready.fetch_add(1);
                while (ready.load() < kThreads) {
                    std::this_thread::yield();
                }
                worker.Run();
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }

        std::uint64_t calls = 0;
        std::array<std::set<int>, kOptionCount> accepted;
        std::set<std::size_t> modesSet{kInitialIndex};
        int sharedWon = 0;
        for (int t = 0; t < kThreads; ++t) {
            const Observations& observed = seen[static_cast<std::size_t>(t)];
            for (const std::string& failure : observed.Failures) {
                ADD_FAILURE() << "thread " << t << ": " << failure;
            }
            for (std::size_t o = 0; o < kOptionCount; ++o) {
                accepted[o].insert(observed.Accepted[o].begin(), observed.Accepted[o].end());
            }
            modesSet.insert(observed.ModesSet.begin(), observed.ModesSet.end());
            sharedWon += observed.SharedWon;
            calls += observed.Calls;
        }
        // Every value read was the default or set successfully by some
        // thread. (A Bool set to 2 reads back as 1 after a save and a load:
        // 1 is the default.)
        for (std::size_t o = 0; o < kOptionCount; ++o) {
            accepted[o].insert(0);
            for (const Observations& observed : seen) {
                for (int index : observed.Read[o]) {
                    EXPECT_EQ(accepted[o].count(index), 1u)
                        << "option " << o << ": read candidate " << index << ", which no thread set";
                }
            }
        }
        for (const Observations& observed : seen) {
            for (std::size_t mode : observed.ModesRead) {
                EXPECT_EQ(modesSet.count(mode), 1u) << "read mode " << mode << ", which no thread set";
            }
        }
        if (lifetime == Lifetime::Steady) {
            // Each shared name that is registered was won by exactly one thread.
            EXPECT_GT(sharedWon, 0);
            EXPECT_EQ(sharedWon, CountRegisteredSharedNames());
        }

        // Quiet again: a save leaves nothing to save, and a load of that save
        // still leaves nothing.
        EXPECT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
        EXPECT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
        calls += 4;

        PrintFigure("stress_threads", kThreads);
        PrintFigure(std::string("stress_calls_") + (lifetime == Lifetime::Steady ? "steady" : "cycling"),
                    static_cast<long long>(calls));
    }

    // Of the names "Shared.0" to "Shared.63", those that are registered.
    static int CountRegisteredSharedNames()
    {
        int registered = 0;
        for (int k = 0; k < 64; ++k) {
            const std::string ascii = "Shared." + std::to_string(k);
            const QzString name(ascii.begin(), ascii.end());
            QORVA_ZEL_Variant value{};
            if (QORVA_ZEL_GetOptionValue(&value, name.c_str()) == QORVA_ZEL_OK) {
                ++registered;
            }
        }
        return registered;
    }
};

TEST_F(ConcurrencyStress, EveryFunctionFromEightThreadsAtOnce)
{
    RunWorkers(Lifetime::Steady, 1000);
}

TEST_F(ConcurrencyStress, ReleaseAndInitialiseWhileOtherThreadsCallIn)
{
    RunWorkers(Lifetime::Cycling, 600);
}

} // namespace
