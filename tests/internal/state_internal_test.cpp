// What the exported functions leave in the state object: the composed
// settings path and the copied strings, the lock after every way out, and
// the records behind options that share a name.
#include "support/qorva_zel_test_support.h"

#include "core/state.h"
#include "registry/option_record.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace qorva_zel_test;
using qorva_zel::TheState;

// The saved resolution outlives a release; these tests set it by hand, so
// each starts and ends with the zero that a fresh process has.
class InitializedWithZeroSavedResolution : public InitializedLibrary {
protected:
    void SetUp() override
    {
        TheState().SavedResolution = QORVA_ZEL_Resolution{};
        InitializedLibrary::SetUp();
    }
    void TearDown() override
    {
        InitializedLibrary::TearDown();
        TheState().SavedResolution = QORVA_ZEL_Resolution{};
    }
};

using StateInternals = InitializedWithZeroSavedResolution;

QORVA_ZEL_Status Dirty()
{
    return QORVA_ZEL_CheckForDirtyOptions();
}

std::u16string PathFor(const QORVA_ZEL_Char* configPath, const QORVA_ZEL_Char* executable)
{
    AppStrings app;
    app.ConfigPath = configPath;
    app.Executable = executable;
    const QORVA_ZEL_ApplicationInfo info = app.Info();
    EXPECT_EQ(QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion), QORVA_ZEL_OK);
    std::u16string path = TheState().SettingsFilePath;
    EXPECT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
    return path;
}

TEST(SettingsPath, IsComposedFromConfigPathAndExecutable)
{
    EXPECT_EQ(PathFor(u"D:\\Games\\Cfg", u"racer.exe"), u"D:\\Games\\Cfg\\GFXSettings.racer.exe.xml");
    EXPECT_EQ(PathFor(u"D:\\Games\\Cfg\\", u"racer"), u"D:\\Games\\Cfg\\\\GFXSettings.racer.xml");
    EXPECT_EQ(PathFor(u"/home/me/.config/game", u"game"), u"/home/me/.config/game\\GFXSettings.game.xml");
    EXPECT_EQ(PathFor(u"", u"racer"), u"\\GFXSettings.racer.xml");
    EXPECT_EQ(PathFor(u"cfg", u""), u"cfg\\GFXSettings..xml");
    EXPECT_EQ(PathFor(u"C:\\Spiele\\\u00c4", u"\u30b2\u30fc\u30e0"), u"C:\\Spiele\\\u00c4\\GFXSettings.\u30b2\u30fc\u30e0.xml");
}

TEST(SettingsPath, StringsAreCopiedAndReplacedByEachInitialisation)
{
    AppStrings app;
    app.DisplayName = u"Racer";
    app.ConfigPath = u"first";
    {
        AppStrings scratch = app;
        const QORVA_ZEL_ApplicationInfo info = scratch.Info();
        ASSERT_EQ(QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion), QORVA_ZEL_OK);
        scratch.DisplayName.assign(5, u'#'); // the caller's memory changes afterwards
    }
    EXPECT_EQ(TheState().DisplayName, u"Racer");
    EXPECT_EQ(TheState().VersionName, app.VersionName);
    EXPECT_EQ(TheState().InstallPath, app.InstallPath);
    EXPECT_EQ(TheState().ConfigPath, u"first");
    EXPECT_EQ(TheState().Executable, app.Executable);
    EXPECT_EQ(TheState().ExecCmd, app.ExecCmd);
    ASSERT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
    EXPECT_TRUE(TheState().SettingsFilePath.empty());
    EXPECT_TRUE(TheState().DisplayName.empty());

    app.DisplayName = u"Racer 2";
    app.ConfigPath = u"second";
    const QORVA_ZEL_ApplicationInfo info = app.Info();
    ASSERT_EQ(QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion), QORVA_ZEL_OK);
    EXPECT_EQ(TheState().DisplayName, u"Racer 2");
    EXPECT_EQ(TheState().SettingsFilePath, u"second\\GFXSettings.testgame.xml");
    ASSERT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
}

// After each call, whatever it answered, another thread can take the lock.
TEST_F(StateInternals, TheLockIsLeftOnEveryWayOut)
{
    ASSERT_EQ(Register(IntOption(u"Detail", 0, 0, 10, 5)), QORVA_ZEL_OK);
    const QORVA_ZEL_Resolution list[] = {Mode(800, 600, 60.0f)};
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(list, 1), QORVA_ZEL_OK);
    const AppStrings app;
    const QORVA_ZEL_ApplicationInfo info = app.Info();
    const QORVA_ZEL_Version wrong{1, 0, 0, 0};
    const QORVA_ZEL_Resolution unlisted = Mode(1, 1, 1.0f);

    const std::vector<std::pair<const char*, std::function<QORVA_ZEL_Status()>>> calls = {
        {"init while initialised", [&] { return QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion); }},
        {"register twice", [] { return Register(IntOption(u"Detail", 0, 0, 10, 5)); }},
        {"get unknown", [] { QORVA_ZEL_Variant v{}; return QORVA_ZEL_GetOptionValue(&v, u"Nope"); }},
        {"set unknown", [] { return SetInt(u"Nope", 1); }},
        {"set off step", [] { return SetInt(u"Detail", 1); }},
        {"set out of range", [] { return SetInt(u"Detail", 11); }},
        {"set other type", [] { return SetBool(u"Detail", 1); }},
        {"set unlisted mode", [&] { return QORVA_ZEL_SetResolution(&unlisted); }},
        {"dirty", [] { return Dirty(); }},
        {"release", [] { return QORVA_ZEL_ReleaseSDK(); }},
        {"release again", [] { return QORVA_ZEL_ReleaseSDK(); }},
        {"get uninitialised", [] { QORVA_ZEL_Variant v{}; return QORVA_ZEL_GetOptionValue(&v, u"Detail"); }},
        {"wrong version", [&] { return QORVA_ZEL_InitializeSDK(&info, &wrong); }},
        {"init", [&] { return QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion); }},
    };
    for (const auto& [what, call] : calls) {
        const QORVA_ZEL_Status status = call();
        bool taken = false;
        std::thread other([&taken] {
            taken = TheState().Lock.try_lock();
            if (taken) {
                TheState().Lock.unlock();
            }
        });
        other.join();
        EXPECT_TRUE(taken) << what << " (status " << status << ") kept the lock";
    }
}

TEST_F(StateInternals, ASetOfASharedNameChangesOnlyTheLastRegisteredRecord)
{
    ASSERT_EQ(Register(IntOption(u"Quality", 3, 0, 10, 0)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(FloatOption(u"Quality", 0.5f, 0.0f, 1.0f, 0)), QORVA_ZEL_OK);
    ASSERT_EQ(SetFloat(u"Quality", 0.25f), QORVA_ZEL_OK);

    std::vector<const qorva_zel::OptionRecord*> records;
    TheState().RegisteredOptions.ForEachRecord(
        [&records](const qorva_zel::OptionRecord& record) { records.push_back(&record); });
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]->Type, QORVA_ZEL_Integer);
    EXPECT_EQ(records[0]->Value.IntValue, 3);
    EXPECT_EQ(records[1]->Type, QORVA_ZEL_Float);
    EXPECT_EQ(records[1]->Value.FloatValue, 0.25f);
}

} // namespace
