// Settings versions: a file two versions old is migrated (rename, value
// map, drop, changed defaults) with a backup; a newer file is never
// downgraded.
#include "support/kit_support.h"

namespace qorva_zel_test {
namespace {

using namespace qorva_zel::kit;

TEST_F(KitTest, AFileTwoVersionsOldIsMigratedWithABackup)
{
    {
        // Version 1 of the game: the player changed Shadows, TextureQuality
        // and Sharpness, and left Bloom at its default.
        session old(Options(kKitSchemaV1));
        ASSERT_TRUE(old) << old.message();
        ASSERT_EQ(old.set("Shadows", std::int32_t{3}), QORVA_ZEL_OK);
        ASSERT_EQ(old.set("TextureQuality", std::int32_t{2}), QORVA_ZEL_OK);
        ASSERT_EQ(old.set("Sharpness", 0.25f), QORVA_ZEL_OK);
        ASSERT_EQ(old.save(), QORVA_ZEL_OK);
    }
    const std::string version1 = ReadBytes(SettingsFile());

    session kit(Options());
    ASSERT_TRUE(kit) << kit.message();
    EXPECT_FALSE(kit.opened().first_run);
    EXPECT_EQ(kit.opened().file_version, 1u);
    EXPECT_EQ(kit.opened().schema_version, 3u);
    EXPECT_TRUE(kit.opened().migrated);
    EXPECT_EQ(kit.opened().migration_status, QORVA_ZEL_OK);
    EXPECT_EQ(kit.get_as<std::int32_t>("ShadowQuality"), 3);         // renamed, value kept
    EXPECT_EQ(kit.get_as<std::string>("TextureQuality"), "High");    // 2 mapped
    EXPECT_EQ(kit.get_as<bool>("Bloom"), true);                      // untouched: the new default
    EXPECT_EQ(kit.get_as<float>("Sharpness"), 0.25f);                // the player's: kept
    EXPECT_EQ(kit.opened().finding_count, 0u);                       // nothing unknown is left

    const std::filesystem::path backup = Dir() / "GFXSettings.game.xml.v1.bak";
    EXPECT_EQ(std::filesystem::path(kit.opened().backup_path), backup);
    EXPECT_EQ(ReadBytes(backup), version1);

    // The migrated file is on disk: the next start migrates nothing.
    kit.close();
    session again(Options());
    ASSERT_TRUE(again) << again.message();
    EXPECT_FALSE(again.opened().migrated);
    EXPECT_EQ(again.opened().file_version, 3u);
    EXPECT_EQ(again.get_as<std::int32_t>("ShadowQuality"), 3);
    EXPECT_EQ(again.get_as<bool>("Bloom"), true);
    const listing after = again.list();
    EXPECT_FALSE(after.find("ShadowQuality")->unsaved());
}

TEST_F(KitTest, ANewerFileIsLoadedAsItIsAndNeverDowngraded)
{
    {
        session newer(Options());
        ASSERT_TRUE(newer) << newer.message();
        ASSERT_EQ(newer.set("TextureQuality", std::string("High")), QORVA_ZEL_OK);
        ASSERT_EQ(newer.save(), QORVA_ZEL_OK);
    }
    {
        // An older game (version 1) on the newer file: nothing migrates, and
        // its save keeps the version and the options it does not know.
        session older(Options(kKitSchemaV1));
        ASSERT_TRUE(older) << older.message();
        EXPECT_TRUE(older.opened().newer_file);
        EXPECT_FALSE(older.opened().migrated);
        EXPECT_EQ(older.opened().file_version, 3u);
        ASSERT_EQ(older.set("Bloom", false), QORVA_ZEL_OK);
        ASSERT_EQ(older.save(), QORVA_ZEL_OK);
    }
    session kit(Options());
    ASSERT_TRUE(kit) << kit.message();
    EXPECT_EQ(kit.opened().file_version, 3u);
    EXPECT_FALSE(kit.opened().migrated);
    EXPECT_EQ(kit.get_as<std::string>("TextureQuality"), "High");
    EXPECT_EQ(kit.get_as<bool>("Bloom"), false);
    EXPECT_FALSE(std::filesystem::exists(Dir() / "GFXSettings.game.xml.v3.bak"));
}

} // namespace
} // namespace qorva_zel_test
