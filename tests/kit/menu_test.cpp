// What a settings menu does: the listing, presets and "Custom", resets and
// defaults, saving.
#include "support/kit_support.h"

#include <thread>
#include <vector>

namespace qorva_zel_test {
namespace {

using namespace qorva_zel::kit;

TEST_F(KitTest, CustomAppearsWhenAPresetOptionDiffersAndGoesWhenItMatches)
{
    session kit(Options());
    ASSERT_TRUE(kit) << kit.message();
    ASSERT_EQ(kit.apply_preset("High"), QORVA_ZEL_OK);
    EXPECT_EQ(kit.current_preset(), "High");
    ASSERT_EQ(kit.set("ShadowQuality", std::int32_t{3}), QORVA_ZEL_OK);
    EXPECT_EQ(kit.current_preset(), QORVA_ZEL_KIT_CUSTOM);
    EXPECT_EQ(kit.list().current_preset(), QORVA_ZEL_KIT_CUSTOM);
    ASSERT_EQ(kit.set("ShadowQuality", std::int32_t{0}), QORVA_ZEL_OK);
    ASSERT_EQ(kit.set("TextureQuality", std::string("Low")), QORVA_ZEL_OK);
    ASSERT_EQ(kit.set("Bloom", false), QORVA_ZEL_OK);
    EXPECT_EQ(kit.current_preset(), "Low");
    EXPECT_EQ(kit.apply_preset("Ultra"), QORVA_ZEL_KIT_ERROR_NOT_FOUND);
    EXPECT_EQ(kit.current_preset(), "Low");
}

TEST_F(KitTest, ResetsOneOptionACategoryOrEverything)
{
    session kit(Options());
    ASSERT_TRUE(kit) << kit.message();
    ASSERT_EQ(kit.set("VSync", false), QORVA_ZEL_OK);
    ASSERT_EQ(kit.set("Gamma", 2.0f), QORVA_ZEL_OK);
    ASSERT_EQ(kit.set("ShadowQuality", std::int32_t{3}), QORVA_ZEL_OK);
    ASSERT_EQ(kit.set("Sharpness", 0.1f), QORVA_ZEL_OK);
    EXPECT_EQ(kit.holds_default("Gamma"), false);

    ASSERT_EQ(kit.reset("Gamma"), QORVA_ZEL_OK);
    EXPECT_EQ(kit.holds_default("Gamma"), true);
    EXPECT_EQ(kit.holds_default("VSync"), false);

    ASSERT_EQ(kit.reset_category("quality"), QORVA_ZEL_OK);
    EXPECT_EQ(kit.get_as<std::int32_t>("ShadowQuality"), 2);
    EXPECT_EQ(kit.holds_default("Sharpness"), true);
    EXPECT_EQ(kit.holds_default("VSync"), false); // display is not quality

    ASSERT_EQ(kit.reset_all(), QORVA_ZEL_OK);
    for (const option_view option : kit.list(order::schema, std::nullopt, true)) {
        EXPECT_FALSE(option.changed()) << option.name();
    }
    EXPECT_EQ(kit.reset_category("audio"), QORVA_ZEL_KIT_ERROR_NOT_FOUND);
    EXPECT_EQ(kit.reset("Volume"), QORVA_ZEL_ERROR_OPTION_NOT_FOUND);
}

TEST_F(KitTest, TheListingHoldsWhatAMenuNeeds)
{
    session kit(Options());
    ASSERT_TRUE(kit) << kit.message();
    ASSERT_EQ(kit.set("TextureQuality", std::string("High")), QORVA_ZEL_OK);

    const listing menu = kit.list(order::category);
    std::vector<std::string_view> names;
    for (const option_view option : menu) {
        names.push_back(option.name());
    }
    // By category (display, quality); the hidden option left out.
    EXPECT_EQ(names, (std::vector<std::string_view>{"VSync", "Gamma", "HDR", "ShadowQuality", "TextureQuality", "Bloom",
                                                    "Sharpness"}));
    const option_view texture = *menu.find("TextureQuality");
    EXPECT_EQ(texture.category(), "quality");
    EXPECT_TRUE(texture.restart_required());
    EXPECT_EQ(texture.allowed(), (std::vector<std::string_view>{"Low", "Medium", "High"}));
    EXPECT_EQ(texture.default_value(), value(std::string("Medium")));
    EXPECT_EQ(texture.current(), value(std::string("High")));
    EXPECT_TRUE(texture.changed());
    EXPECT_TRUE(texture.unsaved());
    EXPECT_FALSE(texture.saved()); // a first run: nothing saved yet
    const option_view gamma = *menu.find("Gamma");
    EXPECT_EQ(gamma.min_value(), value(0.5f));
    EXPECT_EQ(gamma.max_value(), value(2.5f));
    EXPECT_EQ(gamma.num_steps(), 20);
    EXPECT_EQ(menu.find("VSync")->label_key(), "opt.vsync");
    ASSERT_EQ(menu.categories().size(), 2u);
    EXPECT_EQ(menu.categories()[1].label_key, "cat.quality");
    ASSERT_EQ(menu.presets().size(), 2u);
    EXPECT_EQ(menu.presets()[0].name, "Low");

    ASSERT_EQ(kit.save(), QORVA_ZEL_OK);
    const listing saved = kit.list(order::schema, std::string_view("quality"));
    EXPECT_EQ(saved.size(), 4u);
    EXPECT_EQ(saved.find("TextureQuality")->saved(), value(std::string("High")));
    EXPECT_FALSE(saved.find("TextureQuality")->unsaved());
    // The snapshot stays as it was when the values change.
    ASSERT_EQ(kit.set("TextureQuality", std::string("Low")), QORVA_ZEL_OK);
    EXPECT_EQ(saved.find("TextureQuality")->current(), value(std::string("High")));
}

TEST_F(KitTest, EveryCallIsSafeFromSeveralThreads)
{
    session kit(Options());
    ASSERT_TRUE(kit) << kit.message();
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&kit, &failures, t] {
            for (int i = 0; i < 100; ++i) {
                failures[t] += kit.set("ShadowQuality", std::int32_t{i % 5}) != QORVA_ZEL_OK;
                failures[t] += kit.apply_preset(i % 2 == 0 ? "Low" : "High") != QORVA_ZEL_OK;
                failures[t] += kit.current_preset().empty();
                failures[t] += kit.list(order::category).size() != 7u;
                failures[t] += !kit.load_report();
                failures[t] += kit.reset("Gamma") != QORVA_ZEL_OK;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

} // namespace
} // namespace qorva_zel_test
