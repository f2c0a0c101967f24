// Settings that change while the game runs: change events, pending edits
// with apply / confirm / revert, overrides that are never saved, and
// display modes as players have them.
#include "support/kit_support.h"

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace qorva_zel_test {
namespace {

using namespace qorva_zel::kit;
using namespace std::chrono_literals;

// Every event a subscription heard, in order.
struct Heard {
    std::vector<event> Events;
    subscription Subscription = subscribe([this](const event& e) { Events.push_back(e); });

    std::vector<std::int32_t> Kinds() const
    {
        std::vector<std::int32_t> kinds;
        for (const event& e : Events) {
            kinds.push_back(e.kind);
        }
        return kinds;
    }
};

TEST_F(KitTest, EventsTellEveryChangeWithOldAndNewValueInOrder)
{
    session kit(Options());
    ASSERT_TRUE(kit) << kit.message();
    ASSERT_EQ(kit.save(), QORVA_ZEL_OK);
    Heard heard;

    ASSERT_EQ(kit.set("Gamma", 2.0f), QORVA_ZEL_OK);
    ASSERT_EQ(heard.Events.size(), 1u);
    EXPECT_EQ(heard.Events[0].kind, QORVA_ZEL_KIT_EVENT_VALUE);
    EXPECT_EQ(heard.Events[0].cause, QORVA_ZEL_KIT_EVENT_SET);
    EXPECT_EQ(heard.Events[0].name, "Gamma");
    EXPECT_EQ(heard.Events[0].old_value, value(1.0f));
    EXPECT_EQ(heard.Events[0].new_value, value(2.0f));

    // A preset (from Low, the first run's): its changed options in schema
    // order, then the preset.
    heard.Events.clear();
    ASSERT_EQ(kit.apply_preset("High"), QORVA_ZEL_OK);
    EXPECT_EQ(heard.Kinds(), (std::vector<std::int32_t>{QORVA_ZEL_KIT_EVENT_VALUE, QORVA_ZEL_KIT_EVENT_VALUE,
                                                        QORVA_ZEL_KIT_EVENT_VALUE, QORVA_ZEL_KIT_EVENT_PRESET}));
    EXPECT_EQ(heard.Events[0].name, "ShadowQuality");
    EXPECT_EQ(heard.Events[2].name, "Bloom");
    EXPECT_EQ(heard.Events[3].name, "High");

    heard.Events.clear();
    ASSERT_EQ(kit.reset_category("display"), QORVA_ZEL_OK);
    EXPECT_EQ(heard.Kinds(), (std::vector<std::int32_t>{QORVA_ZEL_KIT_EVENT_VALUE, QORVA_ZEL_KIT_EVENT_RESET}));
    EXPECT_EQ(heard.Events[1].name, "display");

    // A load puts the saved values back and says which.
    heard.Events.clear();
    ASSERT_EQ(kit.load(), QORVA_ZEL_OK);
    ASSERT_EQ(heard.Events.size(), 4u);
    EXPECT_EQ(heard.Events[0].cause, QORVA_ZEL_KIT_EVENT_LOAD);
    EXPECT_EQ(heard.Events[0].new_value, value(std::int32_t{0}));
    EXPECT_EQ(heard.Events.back().kind, QORVA_ZEL_KIT_EVENT_LOAD);

    // A refused change raises nothing; an unsubscribed callable hears nothing.
    heard.Events.clear();
    EXPECT_EQ(kit.set("Gamma", 9.0f), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    heard.Subscription.reset();
    ASSERT_EQ(kit.set("Gamma", 2.0f), QORVA_ZEL_OK);
    EXPECT_TRUE(heard.Events.empty());
}

TEST_F(KitTest, ACallbackMayCallTheKit)
{
    session kit(Options());
    ASSERT_TRUE(kit) << kit.message();
    std::vector<std::string> order;
    // Turning VSync off turns Bloom on, from inside the callback.
    subscription follow = subscribe([&](const event& e) {
        order.push_back(e.name);
        if (e.name == "VSync") {
            EXPECT_EQ(kit.get_as<bool>("VSync"), false); // the change is made before delivery
            EXPECT_EQ(kit.set("Bloom", true), QORVA_ZEL_OK);
        }
    });
    Heard later;
    ASSERT_EQ(kit.set("VSync", false), QORVA_ZEL_OK);
    EXPECT_EQ(kit.get_as<bool>("Bloom"), true);
    // The callback's own change is delivered inside it, before the later
    // subscriber hears the first one.
    EXPECT_EQ(order, (std::vector<std::string>{"VSync", "Bloom"}));
    ASSERT_EQ(later.Events.size(), 2u);
    EXPECT_EQ(later.Events[0].name, "Bloom");
    EXPECT_EQ(later.Events[1].name, "VSync");
}

TEST_F(KitTest, ACallbackThatThrowsLosesNothing)
{
    session kit(Options());
    ASSERT_TRUE(kit) << kit.message();
    subscription thrower = subscribe([](const event&) { throw std::runtime_error("menu gone"); });
    Heard after;
    ASSERT_EQ(kit.set("ShadowQuality", std::int32_t{4}), QORVA_ZEL_OK);
    ASSERT_EQ(kit.set("ShadowQuality", std::int32_t{3}), QORVA_ZEL_OK);
    EXPECT_EQ(kit.get_as<std::int32_t>("ShadowQuality"), 3);
    EXPECT_EQ(after.Events.size(), 2u); // the next subscriber still heard both
    const std::exception_ptr error = thrower.take_error();
    ASSERT_TRUE(error);
    EXPECT_THROW(std::rethrow_exception(error), std::runtime_error);
    EXPECT_FALSE(thrower.take_error()); // handed over once
}

TEST_F(KitTest, ApplyIsAllOrNothingAndNamesEachRefusal)
{
    session kit(Options());
    ASSERT_TRUE(kit) << kit.message();
    Heard heard;
    ASSERT_EQ(kit.set_pending("ShadowQuality", std::int32_t{3}), QORVA_ZEL_OK);
    ASSERT_EQ(kit.set_pending("Sharpness", 1.5f), QORVA_ZEL_OK);
    ASSERT_EQ(kit.set_pending("TextureQuality", std::string("Ultra")), QORVA_ZEL_OK);
    EXPECT_EQ(kit.set_pending("Bloom", std::int32_t{1}), QORVA_ZEL_ERROR_TYPE_MISMATCH);
    EXPECT_EQ(kit.set_pending("HDR", true), QORVA_ZEL_KIT_ERROR_UNAVAILABLE);
    EXPECT_EQ(kit.get_as<std::int32_t>("ShadowQuality"), 0); // pending edits stay in the kit
    EXPECT_EQ(kit.list().find("ShadowQuality")->pending(), value(std::int32_t{3}));

    const apply_result refused = kit.apply();
    EXPECT_EQ(refused.code, QORVA_ZEL_KIT_ERROR_APPLY_REFUSED);
    ASSERT_EQ(refused.refusals.size(), 2u);
    EXPECT_EQ(refused.refusals[0].option, "TextureQuality");
    EXPECT_EQ(refused.refusals[0].code, QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(refused.refusals[1].option, "Sharpness");
    EXPECT_EQ(kit.get_as<std::int32_t>("ShadowQuality"), 0); // nothing applied
    EXPECT_TRUE(heard.Events.empty());

    ASSERT_EQ(kit.set_pending("Sharpness", 0.25f), QORVA_ZEL_OK);
    ASSERT_EQ(kit.set_pending("TextureQuality", std::string("High")), QORVA_ZEL_OK);
    const apply_result applied = kit.apply();
    ASSERT_TRUE(applied) << applied.code;
    EXPECT_EQ(applied.changed, (std::vector<std::string>{"ShadowQuality", "TextureQuality", "Sharpness"}));
    EXPECT_EQ(applied.restart_required, std::vector<std::string>{"TextureQuality"});
    EXPECT_FALSE(applied.provisional);
    EXPECT_EQ(kit.get_as<std::int32_t>("ShadowQuality"), 3);
    EXPECT_EQ(heard.Events.back().kind, QORVA_ZEL_KIT_EVENT_APPLY);
    EXPECT_FALSE(kit.list().find("ShadowQuality")->pending());

    ASSERT_EQ(kit.set_pending("Bloom", true), QORVA_ZEL_OK);
    ASSERT_EQ(kit.revert_pending(), QORVA_ZEL_OK);
    EXPECT_TRUE(kit.apply().changed.empty());
    EXPECT_EQ(kit.get_as<bool>("Bloom"), false);
}

TEST_F(KitTest, AProvisionalModeNotConfirmedBeforeItsDeadlineComesBack)
{
    TestClock clock;
    set_clock(&TestClock::Read, &clock);
    session kit(Options());
    ASSERT_TRUE(kit) << kit.message();
    ASSERT_EQ(kit.set_mode(mode(1280, 720, 60.0f)), QORVA_ZEL_OK);
    ASSERT_EQ(kit.set_pending_mode(mode(1920, 1080, 60, 1)), QORVA_ZEL_OK);
    ASSERT_EQ(kit.set_pending("Gamma", 1.5f), QORVA_ZEL_OK);  // flagged "confirm"
    ASSERT_EQ(kit.set_pending("Bloom", true), QORVA_ZEL_OK); // not flagged: final
    const apply_result applied = kit.apply(5000ms);
    ASSERT_TRUE(applied) << applied.code;
    EXPECT_TRUE(applied.provisional);
    EXPECT_TRUE(applied.mode_changed);
    EXPECT_EQ(applied.deadline, 6000u);
    EXPECT_EQ(kit.get_mode()->current.Width, 1920u);
    EXPECT_EQ(kit.apply().code, QORVA_ZEL_KIT_ERROR_PROVISIONAL);

    clock.Now = 5999;
    EXPECT_EQ(kit.poll(), std::optional<std::chrono::milliseconds>(1ms));
    Heard heard;
    clock.Now = 6000;
    // The next call of any kind puts the old values back first.
    EXPECT_EQ(kit.get_as<float>("Gamma"), 1.0f);
    EXPECT_EQ(kit.get_mode()->current.Width, 1280u);
    EXPECT_EQ(kit.get_as<bool>("Bloom"), true);
    ASSERT_EQ(heard.Events.size(), 3u);
    EXPECT_EQ(heard.Events[0].cause, QORVA_ZEL_KIT_EVENT_REVERT);
    EXPECT_EQ(heard.Events[1].kind, QORVA_ZEL_KIT_EVENT_MODE);
    EXPECT_EQ(heard.Events[1].old_mode.Width, 1920u);
    EXPECT_EQ(heard.Events[2].kind, QORVA_ZEL_KIT_EVENT_REVERT);
    EXPECT_TRUE(heard.Events[2].expired);
    EXPECT_EQ(kit.confirm(), QORVA_ZEL_KIT_ERROR_EXPIRED);

    // Confirmed in time, it stays; a save while provisional writes the old mode.
    ASSERT_EQ(kit.set_pending_mode(mode(1920, 1080, 60.0f)), QORVA_ZEL_OK);
    ASSERT_TRUE(kit.apply(5000ms).provisional);
    ASSERT_EQ(kit.save(), QORVA_ZEL_OK);
    EXPECT_NE(SavedXml().find("Width=\"1280\""), std::string::npos);
    clock.Now += 4000;
    EXPECT_EQ(kit.confirm(), QORVA_ZEL_OK);
    clock.Now += 60000;
    EXPECT_EQ(kit.get_mode()->current.Width, 1920u);
    EXPECT_FALSE(kit.poll());
}

TEST_F(KitTest, OverridesApplyForThisRunAndNeverReachTheFile)
{
    session kit(Options());
    ASSERT_TRUE(kit) << kit.message();
    ASSERT_EQ(kit.set_mode(mode(1280, 720, 60.0f)), QORVA_ZEL_OK);
    std::string message;
    const char* refused[] = {"game", "--set", "Gamma=9"};
    EXPECT_EQ(kit.apply_command_line(3, refused, &message), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_NE(message.find("--set Gamma=9"), std::string::npos) << message;
    EXPECT_FALSE(kit.list().find("Gamma")->overridden());

    const char* argv[] = {"game", "-width", "1920", "--set", "ShadowQuality=4", "-height", "1080", "-novsync", "-log"};
    ASSERT_EQ(kit.apply_command_line(9, argv, &message), QORVA_ZEL_OK) << message;
    EXPECT_EQ(kit.get_as<std::int32_t>("ShadowQuality"), 4);
    EXPECT_EQ(kit.get_as<bool>("VSync"), false);
    EXPECT_EQ(kit.get_mode()->current.Width, 1920u);
    const listing menu = kit.list();
    EXPECT_TRUE(menu.find("ShadowQuality")->overridden());
    EXPECT_EQ(menu.find("ShadowQuality")->player(), value(std::int32_t{0}));

    ASSERT_EQ(kit.save(), QORVA_ZEL_OK);
    std::string xml = SavedXml();
    EXPECT_NE(xml.find("Name=\"ShadowQuality\" Registered=\"True\" Type=\"Integer\" Value=\"0\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("Name=\"VSync\" Registered=\"True\" Type=\"Bool\" Value=\"true\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<RESOLUTION Width=\"1280\" Height=\"720\""), std::string::npos) << xml;
    EXPECT_EQ(kit.get_as<std::int32_t>("ShadowQuality"), 4); // the override stands after the save

    // A save that fails leaves the overrides as they were.
    std::filesystem::remove_all(Dir());
    EXPECT_EQ(kit.save(), QORVA_ZEL_ERROR_FILE);
    EXPECT_EQ(kit.get_as<std::int32_t>("ShadowQuality"), 4);
    EXPECT_EQ(kit.get_mode()->current.Width, 1920u);
    std::filesystem::create_directories(Dir());

    // The player's own choice ends the override and is saved.
    ASSERT_EQ(kit.set("ShadowQuality", std::int32_t{3}), QORVA_ZEL_OK);
    ASSERT_EQ(kit.save(), QORVA_ZEL_OK);
    xml = SavedXml();
    EXPECT_NE(xml.find("Name=\"ShadowQuality\" Registered=\"True\" Type=\"Integer\" Value=\"3\""), std::string::npos) << xml;
    EXPECT_FALSE(kit.list().find("ShadowQuality")->overridden());
    ASSERT_EQ(kit.clear_overrides(), QORVA_ZEL_OK);
    EXPECT_EQ(kit.get_as<bool>("VSync"), true);
    EXPECT_EQ(kit.get_mode()->current.Width, 1280u);
}

TEST_F(KitTest, RefreshRatesMatchInEverySpellingAndTheClosestModeIsFound)
{
    const display_mode decimal = mode(1920, 1080, 59.94f);
    const display_mode fraction = mode(1920, 1080, 60000, 1001);
    const display_mode reported = mode(1920, 1080, 59.940002f);
    EXPECT_TRUE(modes_match(decimal, fraction));
    EXPECT_TRUE(modes_match(fraction, reported));
    EXPECT_TRUE(modes_match(reported, decimal));
    EXPECT_FALSE(modes_match(decimal, mode(1920, 1080, 60.0f)));
    EXPECT_FALSE(modes_match(decimal, mode(1920, 1080, 59.95f)));

    qorva_zel::kit::open_options options = Options();
    options.resolutions.clear();
    options.modes = {mode(1280, 720, 60, 1), fraction, mode(1920, 1080, 144, 1)};
    session kit(options);
    ASSERT_TRUE(kit) << kit.message();
    ASSERT_EQ(kit.set_mode(reported), QORVA_ZEL_OK);
    const display_mode current = kit.get_mode()->current;
    EXPECT_EQ(current.RefreshNumerator, 60000u); // as the game listed it
    EXPECT_EQ(current.RefreshDenominator, 1001u);
    EXPECT_EQ(kit.set_mode(mode(1920, 1080, 75.0f)), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    // A saved mode the display no longer has: the nearest size, then rate.
    EXPECT_EQ(kit.closest_mode(mode(2560, 1440, 120.0f))->RefreshNumerator, 144u);
    EXPECT_EQ(kit.closest_mode(mode(1920, 1080, 50.0f))->RefreshDenominator, 1001u);
    EXPECT_EQ(kit.closest_mode(mode(1366, 768, 60.0f))->Width, 1280u);
}

TEST_F(KitTest, AChangeOfMonitorIsReported)
{
    qorva_zel::kit::open_options options = Options();
    options.resolutions.clear();
    options.modes = {mode(2560, 1440, 144, 1), mode(1920, 1080, 60, 1)};
    options.display_id = "DEL-U2720Q-1234";
    {
        session kit(options);
        ASSERT_TRUE(kit) << kit.message();
        ASSERT_EQ(kit.set_mode(mode(2560, 1440, 144.0f)), QORVA_ZEL_OK);
        ASSERT_EQ(kit.save(), QORVA_ZEL_OK);
    }
    // The library's own element is as it always is; the identity is an option.
    const std::string xml = SavedXml();
    EXPECT_NE(xml.find("<RESOLUTION Width=\"2560\" Height=\"1440\" RefreshRate=\"144\">"), std::string::npos) << xml;
    EXPECT_NE(xml.find("Name=\"ZelKit.DisplayId\""), std::string::npos) << xml;

    Heard heard;
    options.modes = {mode(1920, 1080, 60000, 1001), mode(1280, 720, 60, 1)};
    options.display_id = "LEN-T14-LAPTOP";
    session kit(options);
    ASSERT_TRUE(kit) << kit.message();
    EXPECT_TRUE(kit.opened().display_changed);
    EXPECT_EQ(kit.opened().saved_display_id, "DEL-U2720Q-1234");
    EXPECT_FALSE(kit.opened().mode_listed);
    EXPECT_TRUE(kit.load_report().empty()); // the kit's own record is no finding
    ASSERT_FALSE(heard.Events.empty());
    EXPECT_EQ(heard.Events.back().kind, QORVA_ZEL_KIT_EVENT_DISPLAY);
    EXPECT_EQ(heard.Events.back().name, "DEL-U2720Q-1234");
    const std::optional<display_mode> nearest = kit.closest_mode(kit.get_mode()->current);
    ASSERT_TRUE(nearest);
    EXPECT_EQ(nearest->Width, 1920u);
    EXPECT_EQ(kit.set_mode(*nearest), QORVA_ZEL_OK);
}

TEST_F(KitTest, EventsFromSeveralThreadsReachEverySubscriber)
{
    session kit(Options());
    ASSERT_TRUE(kit) << kit.message();
    std::atomic<int> first{0};
    std::atomic<int> second{0};
    subscription a = subscribe([&](const event& e) { first += e.kind == QORVA_ZEL_KIT_EVENT_VALUE; });
    subscription b = subscribe([&](const event& e) { second += e.kind == QORVA_ZEL_KIT_EVENT_VALUE; });
    std::atomic<bool> done{false};
    // Subscriptions come and go meanwhile; each one's callable uses its own
    // stack, which must never be touched after the subscription ends.
    std::thread churn([&] {
        while (!done) {
            std::atomic<int> count{0}; // heard on the setting threads, several at once
            subscription brief = subscribe([&count](const event&) { ++count; });
            brief.reset();
        }
    });
    const char* const names[] = {"VSync", "Bloom", "ShadowQuality", "Sharpness"};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&kit, &names, t] {
            for (int i = 1; i <= 50; ++i) {
                // Every call changes its thread's own option.
                const value next = t == 0   ? value(i % 2 == 0)
                                   : t == 1 ? value(i % 2 == 1)
                                   : t == 2 ? value(std::int32_t{i % 2 + 1})
                                            : value(i % 2 == 0 ? 0.25f : 0.5f);
                EXPECT_EQ(kit.set(names[t], next), QORVA_ZEL_OK);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    done = true;
    churn.join();
    EXPECT_EQ(first, 200);
    EXPECT_EQ(second, 200);
}

} // namespace
} // namespace qorva_zel_test
