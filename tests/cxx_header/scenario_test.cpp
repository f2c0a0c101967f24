// A game's whole settings cycle through qorva_zel.hpp: register every type
// of option (two sharing a name) and the resolutions, the first load, sets
// accepted and refused, unsaved changes, save, a new session that loads the
// values back.
#include "qorva_zel.hpp"

#include "support/qorva_zel_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace zel = qorva_zel;

namespace {

const zel::resolution kModes[] = {{1280, 720, 60.0f}, {1920, 1080, 59.94f}, {2560, 1440, 144.0f}};

// What the game does at start-up: one line per option.
void RegisterGameOptions(const zel::session& game)
{
    ASSERT_EQ(game.add({
                  zel::int_option("ShadowQuality", 2, 0, 4, 4),
                  zel::float_option("Gamma", 1.0f, 0.5f, 2.5f, 4),
                  zel::enum_option("TextureFilter", "Trilinear", {"Bilinear", "Trilinear", "Anisotropic ×16"}),
                  zel::bool_option("VSync", true),
                  zel::int_option("Détail", 1, 0, 3, 3),
                  zel::bool_option("Détail", false), // same name, other type: registered last, it answers
              }),
              zel::status::ok);
    ASSERT_EQ(game.set_resolutions({kModes[0], kModes[1], kModes[2]}), zel::status::ok);
}

zel::app_info App(const std::string& dir)
{
    return {"Scenario Game", "1.0", "/opt/scenario", dir, "scenario", "scenario --windowed"};
}

} // namespace

TEST(Scenario, RegisterSetSaveAndLoadBack)
{
    const qorva_zel_test::TempDir dir;
    {
        zel::session game(App(dir.Path().u8string()));
        ASSERT_TRUE(game) << zel::status_text(game.status());
        RegisterGameOptions(game);
        EXPECT_EQ(game.add(zel::int_option("ShadowQuality", 2, 0, 4, 4)), zel::status::already_registered);

        // First run: no file, the defaults stay, no resolution yet.
        EXPECT_EQ(game.load(), zel::status::file_not_found);
        EXPECT_EQ(game.get_resolution().value(), (zel::resolution{0, 0, 0.0f}));
        EXPECT_TRUE(game.has_unsaved_changes().value());
        EXPECT_EQ(game.get_int("ShadowQuality").value(), 2);
        EXPECT_EQ(game.get_enum("TextureFilter").value(), "Trilinear");

        EXPECT_EQ(game.set_int("ShadowQuality", 7), zel::status::value_not_allowed);
        EXPECT_EQ(game.set_int("ShadowQuality", 3), zel::status::ok);
        EXPECT_EQ(game.set_float("Gamma", 1.25f), zel::status::value_not_on_step);
        EXPECT_EQ(game.set_float("Gamma", 1.5f), zel::status::ok);
        EXPECT_EQ(game.set_enum("TextureFilter", "Nearest"), zel::status::value_not_allowed);
        EXPECT_EQ(game.set_enum("TextureFilter", "Anisotropic ×16"), zel::status::ok);
        EXPECT_EQ(game.set_bool("VSync", false), zel::status::ok);
        EXPECT_EQ(game.set_int("Détail", 2), zel::status::type_mismatch); // the Bool answers
        EXPECT_EQ(game.set_bool("Détail", true), zel::status::ok);
        EXPECT_EQ(game.set_bool("MotionBlur", true), zel::status::option_not_found);
        EXPECT_EQ(game.set_resolution({800, 600, 60.0f}), zel::status::value_not_allowed);
        EXPECT_EQ(game.set_resolution(kModes[1]), zel::status::ok);

        EXPECT_TRUE(game.has_unsaved_changes().value());
        EXPECT_EQ(game.save(), zel::status::ok);
        EXPECT_FALSE(game.has_unsaved_changes().value());
    } // released here

    zel::session game(App(dir.Path().u8string()));
    ASSERT_TRUE(game);
    RegisterGameOptions(game);
    ASSERT_EQ(game.load(), zel::status::ok);
    EXPECT_FALSE(game.has_unsaved_changes().value());
    EXPECT_EQ(game.get_resolution().value(), kModes[1]);
    EXPECT_EQ(game.get_int("ShadowQuality").value(), 3);
    EXPECT_EQ(game.get_float("Gamma").value(), 1.5f);
    EXPECT_EQ(game.get_enum("TextureFilter").value(), "Anisotropic ×16");
    EXPECT_EQ(game.get_enum_u16("TextureFilter").value(), u"Anisotropic ×16");
    EXPECT_FALSE(game.get_bool("VSync").value());
    const zel::result<bool> shared = game.get_bool("Détail");
    EXPECT_EQ(shared.status(), zel::status::ambiguous_option);
    EXPECT_TRUE(shared.value());
    EXPECT_EQ(game.get_int("Détail").status(), zel::status::type_mismatch);
}

// A session that does not hold the library (its initialisation failed, or
// it was moved from) must not drive the one that does.
TEST(Scenario, OnlyTheOwningSessionReachesTheLibrary)
{
    const qorva_zel_test::TempDir dir;
    zel::session game(App(dir.Path().u8string()));
    ASSERT_TRUE(game);
    ASSERT_EQ(game.add(zel::int_option("ShadowQuality", 2, 0, 4, 4)), zel::status::ok);
    zel::session second(App(dir.Path().u8string()));
    EXPECT_FALSE(second);
    EXPECT_EQ(second.status(), zel::status::already_initialized);
    EXPECT_EQ(second.set_int("ShadowQuality", 3), zel::status::not_initialized);
    EXPECT_EQ(second.save(), zel::status::not_initialized);

    zel::session moved(std::move(game));
    EXPECT_FALSE(game);
    EXPECT_TRUE(moved);
    EXPECT_EQ(game.set_int("ShadowQuality", 4), zel::status::not_initialized);
    EXPECT_EQ(game.get_int("ShadowQuality").status(), zel::status::not_initialized);
    EXPECT_EQ(game.save(), zel::status::not_initialized);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << "a session without the library saved the file";
    EXPECT_EQ(moved.get_int("ShadowQuality").value(), 2);

    second = zel::session(App(dir.Path().u8string())); // fails again; destroying the failed one releases nothing
    EXPECT_EQ(moved.add(zel::bool_option("VSync", true)), zel::status::ok);
    EXPECT_EQ(moved.release(), zel::status::ok);
    EXPECT_EQ(moved.load(), zel::status::not_initialized);
}

TEST(Scenario, EveryStatusHasItsMessageAndCategory)
{
    const zel::status all[] = {zel::status::ok,
                               zel::status::file_error,
                               zel::status::file_not_found,
                               zel::status::version_mismatch,
                               zel::status::null_argument,
                               zel::status::option_not_found,
                               zel::status::ambiguous_option,
                               zel::status::value_not_on_step,
                               zel::status::value_not_allowed,
                               zel::status::already_registered,
                               zel::status::type_mismatch,
                               zel::status::options_dirty,
                               zel::status::not_initialized,
                               zel::status::already_initialized};
    const std::string unknown = zel::status_text(-5);
    for (const zel::status s : all) {
        const std::error_code code = s; // implicit: a std::error_code enum
        EXPECT_EQ(&code.category(), &zel::status_category());
        EXPECT_EQ(code.message(), zel::status_text(s));
        EXPECT_NE(code.message(), unknown) << static_cast<int>(s);
        EXPECT_EQ(static_cast<bool>(code), s != zel::status::ok);
    }
    EXPECT_STREQ(zel::status_category().name(), "qorva_zel");
}
