// The load report: every value of the file that was not applied, and why,
// in the words of qorvazel check; values the game cannot use are kept.
#include "support/kit_support.h"

#include <vector>

namespace qorva_zel_test {
namespace {

using namespace qorva_zel::kit;

// A hand-edited file (UTF-8, which the library reads too) with one value of
// every kind the game does not apply as written.
const char kEditedFile[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<ZEL_SDK Version="2.3.18713301.0">
	<GAMESETTINGS>
		<RESOLUTION Width="1920" Height="1080" RefreshRate="60" />
		<OPTION Name="ZelKit.SettingsVersion" Registered="True" Type="Integer" Value="3" />
		<OPTION Name="VSync" Registered="True" Type="Bool" Value="On" />
		<OPTION Name="Sharpness" Registered="True" Type="Float" Value="1.5" />
		<OPTION Name="Gamma" Registered="True" Type="Float" Value="1.05" />
		<OPTION Name="TextureQuality" Registered="True" Type="Enum" Value="Ultra" />
		<OPTION Name="Bloom" Registered="True" Type="Integer" Value="1" />
		<OPTION Name="Fog" Registered="True" Type="Bool" Value="true" />
		<OPTION Name="DebugOverlay" Registered="True" Type="Bool" Value="true" />
		<OPTION Name="HDR" Registered="True" Type="Bool" Value="true" />
		<OPTION Registered="True" Type="Bool" Value="true" />
		<OPTION Name="ShadowQuality" Registered="True" Type="Integer" Value="3" />
	</GAMESETTINGS>
</ZEL_SDK>
)";

TEST_F(KitTest, TheLoadReportNamesEveryValueThatWasNotApplied)
{
    WriteBytes(SettingsFile(), kEditedFile);
    session kit(Options());
    ASSERT_TRUE(kit) << kit.message();
    EXPECT_EQ(kit.opened().load_status, QORVA_ZEL_OK);
    const report findings = kit.load_report();
    EXPECT_EQ(findings.file(), kit.opened().settings_path);
    std::vector<std::string_view> kinds;
    std::vector<std::uint32_t> lines;
    for (const finding_view finding : findings) {
        kinds.push_back(finding.kind_name());
        lines.push_back(finding.line());
    }
    EXPECT_EQ(kinds, (std::vector<std::string_view>{"misread", "out-of-range", "off-step", "not-allowed", "wrong-type",
                                                    "unknown", "hidden", "unavailable", "malformed"}));
    EXPECT_EQ(lines, (std::vector<std::uint32_t>{6, 7, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(kit.opened().finding_count, 9u);
    EXPECT_EQ(findings[0].message(), "VSync \"On\" reads as false");
    EXPECT_EQ(findings[0].kind(), QORVA_ZEL_KIT_FINDING_MISREAD);
    EXPECT_EQ(findings[0].column(), 3u);
    EXPECT_EQ(findings[1].message(), "Sharpness 1.5 is refused by the game's limits: out of range (0 to 1)");
    EXPECT_EQ(findings[3].message(),
              "TextureQuality \"Ultra\" is refused by the game's limits: not allowed (allowed: \"Low\", \"Medium\", \"High\")");
    EXPECT_EQ(findings[4].option(), "Bloom");
    EXPECT_EQ(findings[4].text(), "1");

    // What was applied, and what was not.
    EXPECT_EQ(kit.get_as<std::int32_t>("ShadowQuality"), 3);
    EXPECT_EQ(kit.get_as<bool>("VSync"), false);            // misread, but applied as read
    EXPECT_EQ(kit.get_as<float>("Sharpness"), 0.7f);        // refused: the default stands
    EXPECT_EQ(kit.get_as<bool>("DebugOverlay"), false);     // hidden: never from the file

    // The file keeps what this machine cannot use: a save and a start on a
    // machine with HDR bring the player's HDR back.
    ASSERT_EQ(kit.save(), QORVA_ZEL_OK);
    kit.close();
    open_options withHdr = Options();
    withHdr.facts = {{"hdr", "true"}};
    session hdr(withHdr);
    ASSERT_TRUE(hdr) << hdr.message();
    EXPECT_EQ(hdr.get_as<bool>("HDR"), true);
    std::vector<std::string_view> left;
    for (const finding_view finding : hdr.load_report()) {
        left.push_back(finding.kind_name());
    }
    // The type the game does not know and the unknown option are kept too.
    EXPECT_EQ(left, (std::vector<std::string_view>{"wrong-type", "unknown"}));
}

} // namespace
} // namespace qorva_zel_test
