// Opening the kit: the first run's preset from the hardware tiers, defaults
// by tag, availability, a broken schema, and calls on a kit that is not open.
#include "support/kit_support.h"

#include <cstring>

namespace qorva_zel_test {
namespace {

using namespace qorva_zel::kit;

TEST_F(KitTest, FirstRunChoosesThePresetOfTheFirstMatchingTier)
{
    open_options options = Options();
    options.facts = {{"videoMemoryMB", "8192"}, {"gpuVendor", "nvidia"}};
    session kit(options);
    ASSERT_TRUE(kit) << kit.message();
    EXPECT_TRUE(kit.opened().first_run);
    EXPECT_EQ(kit.opened().load_status, QORVA_ZEL_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(kit.opened().preset, "High");
    EXPECT_EQ(kit.opened().tier_index, 1);
    EXPECT_EQ(kit.opened().tier_name, "big-gpu");
    EXPECT_EQ(kit.get_as<std::int32_t>("ShadowQuality"), 4);
    EXPECT_EQ(kit.get_as<std::string>("TextureQuality"), "High");
    EXPECT_EQ(kit.current_preset(), "High");
    // The library holds what the kit registered.
    QORVA_ZEL_Variant shadows{};
    ASSERT_EQ(QORVA_ZEL_GetOptionValue(&shadows, u"ShadowQuality"), QORVA_ZEL_OK);
    EXPECT_EQ(shadows.Value.IntValue, 4);
}

TEST_F(KitTest, TagsChooseDefaultsAndTiersAndFactsDecideAvailability)
{
    open_options options = Options();
    options.tags = {"handheld"};
    options.facts = {{"videoMemoryMB", "16384"}, {"gpuVendor", "amd"}}; // the handheld tier comes first
    session kit(options);
    ASSERT_TRUE(kit) << kit.message();
    EXPECT_EQ(kit.opened().tier_name, "handheld");
    EXPECT_EQ(kit.opened().preset, "Low");
    const listing options_now = kit.list();
    const std::optional<option_view> shadows = options_now.find("ShadowQuality");
    ASSERT_TRUE(shadows);
    EXPECT_EQ(shadows->default_value(), value(std::int32_t{1})); // the handheld default
    // No "hdr" fact: HDR holds its default and cannot be set.
    const std::optional<option_view> hdr = options_now.find("HDR");
    ASSERT_TRUE(hdr);
    EXPECT_FALSE(hdr->available());
    EXPECT_EQ(kit.set("HDR", true), QORVA_ZEL_KIT_ERROR_UNAVAILABLE);
    EXPECT_EQ(kit.get_as<bool>("HDR"), false);
}

TEST_F(KitTest, TheGuidesExampleSchemaOpens)
{
    open_options options = Options();
    options.schema_text = ReadBytes(QORVA_ZEL_KIT_EXAMPLE_SCHEMA);
    options.no_system_facts = true;
    options.facts = {{"gpuVendor", "nvidia"}};
    session kit(options);
    ASSERT_TRUE(kit) << kit.message();
    EXPECT_EQ(kit.opened().tier_name, "discrete GPU");
    EXPECT_EQ(kit.current_preset(), "High");
    EXPECT_EQ(kit.list().size(), 11u);
}

TEST_F(KitTest, ABrokenSchemaNamesItsLineAndRegistersNothing)
{
    // Not JSON: a missing comma at line 3.
    open_options broken = Options("{\n  \"settingsVersion\": 1,\n  \"options\": [] \"x\": 1\n}");
    session syntax(broken);
    EXPECT_EQ(syntax.open_status(), QORVA_ZEL_KIT_ERROR_SCHEMA);
    EXPECT_EQ(syntax.message().rfind("game.schema.json:3:17: ", 0), 0u) << syntax.message();

    // JSON, but a default outside its range, on line 4.
    broken.schema_text = "{\n  \"settingsVersion\": 1,\n  \"options\": [\n    {\"name\": \"Shadows\", \"type\": "
                         "\"Integer\", \"default\": 7, \"min\": 0, \"max\": 4}\n  ]\n}";
    session semantic(broken);
    EXPECT_EQ(semantic.open_status(), QORVA_ZEL_KIT_ERROR_SCHEMA);
    EXPECT_EQ(semantic.message(), "game.schema.json:4:55: the default 7 of Shadows is outside its range 0 to 4");

    EXPECT_TRUE(LibraryIsUninitialised());
    EXPECT_EQ(QORVA_ZEL_KIT_ResetAll(), QORVA_ZEL_KIT_ERROR_NOT_OPEN);
}

TEST_F(KitTest, CallsOnAClosedKitAreRefusedAndNullPointersComeFirst)
{
    QORVA_ZEL_KIT_Value value{};
    char buffer[16];
    EXPECT_EQ(QORVA_ZEL_KIT_GetValue("VSync", &value, buffer, sizeof buffer, nullptr), QORVA_ZEL_KIT_ERROR_NOT_OPEN);
    EXPECT_EQ(QORVA_ZEL_KIT_GetValue(nullptr, &value, buffer, sizeof buffer, nullptr), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_KIT_Save(), QORVA_ZEL_KIT_ERROR_NOT_OPEN);
    QORVA_ZEL_KIT_Listing* listing = nullptr;
    EXPECT_EQ(QORVA_ZEL_KIT_ListOptions(QORVA_ZEL_KIT_ORDER_SCHEMA, nullptr, 0, &listing), QORVA_ZEL_KIT_ERROR_NOT_OPEN);
    EXPECT_EQ(listing, nullptr);
    EXPECT_EQ(QORVA_ZEL_KIT_Close(), QORVA_ZEL_KIT_ERROR_NOT_OPEN);
    EXPECT_EQ(QORVA_ZEL_KIT_Open(nullptr, nullptr, nullptr, 0), QORVA_ZEL_ERROR_NULL_ARGUMENT);

    // A string handed out into a buffer that is too small: its length, and
    // a terminated prefix.
    session kit(Options());
    ASSERT_TRUE(kit) << kit.message();
    EXPECT_EQ(QORVA_ZEL_KIT_Open(nullptr, nullptr, nullptr, 0), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    std::size_t length = 0;
    char small[3];
    EXPECT_EQ(QORVA_ZEL_KIT_GetValue("TextureQuality", &value, small, sizeof small, &length),
              QORVA_ZEL_KIT_ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(length, std::strlen("Low"));
    EXPECT_STREQ(small, "Lo");
    EXPECT_EQ(QORVA_ZEL_KIT_GetValue("NoSuchOption", &value, buffer, sizeof buffer, &length),
              QORVA_ZEL_ERROR_OPTION_NOT_FOUND);
}

TEST_F(KitTest, TheLocalSettingsFolderIsTheUsersOwn)
{
    const std::optional<std::string> folder = local_settings_folder("KitGame");
    ASSERT_TRUE(folder);
    ASSERT_GT(folder->size(), 8u);
    EXPECT_EQ(folder->substr(folder->size() - 7), "KitGame");
    EXPECT_TRUE(folder->at(folder->size() - 8) == '/' || folder->at(folder->size() - 8) == '\\') << *folder;
    EXPECT_TRUE(folder->find("AppData\\Local") != std::string::npos || folder->find("/.config/") != std::string::npos ||
                std::getenv("XDG_CONFIG_HOME") != nullptr)
        << *folder;
    char buffer[8];
    EXPECT_EQ(QORVA_ZEL_KIT_LocalSettingsFolder("../up", 0, buffer, sizeof buffer, nullptr),
              QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT);
}

} // namespace
} // namespace qorva_zel_test
