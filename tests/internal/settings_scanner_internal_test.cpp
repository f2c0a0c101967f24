// The loader reads files in one pass without a parsed document, and leaves
// what it is not sure of to the DOM reader. These tests hold the one-pass
// reader to the DOM reader: on a file with every shape the loader meets, and
// on every variant of it with one character inserted, replaced or deleted,
// whatever the one-pass reader accepts must read exactly as the DOM reads it.
#include "support/settings_description.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

using qorva_zel::SettingsDocument;
using namespace qorva_zel_test;

// Values with references, single quotes, skipped options, a Type given
// twice, a second GAMESETTINGS, elements the reader does not look into, and
// empty elements of every kind.
constexpr std::string_view kSample = R"(<?xml version="1.0" encoding="UTF-16" standalone="no"?>
<ZEL_SDK Version="2.3.18713301.0">
	<APPLICATION>
		<DISPLAYNAME Value="Seed &amp; Game" />
		<VERSIONNAME Value='1.2 &quot;beta&quot;&#9;' Value="second" />
		<EXECCMD Value="seed &lt;hdr&gt;"><X/></EXECCMD>
		<EXECCMD Value="not the first" />
	</APPLICATION>
	<GAMESETTINGS>
		<RESOLUTION Width="2560" Height="1440" RefreshRate="143.856" Width = '1920'>
			<ENUM Width="1920" Height="1080" RefreshRate="60" />
			<ENUM Height="720" RefreshRate="59.94"></ENUM>
			<OTHER Width="1" />
		</RESOLUTION>
		<OPTION Name="Detail" Registered="True" Type="Integer" Value="3">
			<RANGE MinValue="0" MaxValue="4" NumSteps="4" MinValue="9" />
			<RANGE MinValue="7" />
		</OPTION>
		<OPTION Name="Gamma" Type="Float" Value="2.25" Type="Float"><NOTE><RANGE MinValue="5"/></NOTE></OPTION>
		<OPTION Name="Quality &amp; more" Type="Enum" Value="High" Registered="False">
			<ENUM EnumValue="Low" />
			<ENUM EnumValue="High &#38; &apos;Ultra&apos;" />
			<ENUM />
		</OPTION>
		<OPTION Name="VSync" Type="Bool" Value="true"/>
		<OPTION Name="Dropped" Value="1" Type="Integer" />
		<OPTION Name="Retyped" Type="Integer" Value="1" Type="Bool" />
		<OPTION Type="Bool" Value="true" />
		<RESOLUTION Height="1200" />
	</GAMESETTINGS>
	<GAMESETTINGS><OPTION Name="Ignored" Type="Bool" Value="true" /></GAMESETTINGS>
</ZEL_SDK>
)";

TEST(OnePassReader, ReadsTheSampleAsTheDomDoes)
{
    const std::string text(kSample);
    const std::string once = ReadInOnePass(text);
    ASSERT_FALSE(once.empty()) << "the one-pass reader declined the sample";
    EXPECT_EQ(once, ReadWithDom(text));
    EXPECT_NE(once.find("option [Quality & more] 2 [High][False][][][] [Low] [High & 'Ultra'] []"), std::string::npos)
        << once;
}

TEST(OnePassReader, LoaderReadsAFileOfTheLibraryWithoutTheDom)
{
    SettingsDocument fast;
    std::string utf16;
    for (const char c : std::string(kSample)) {
        utf16 += c;
        utf16 += '\0';
    }
    ASSERT_TRUE(qorva_zel::ReadSettingsDocument(utf16, fast));
    EXPECT_EQ(DescribeSettings(true, fast), ReadWithDom(std::string(kSample)));
}

// Every variant the one-pass reader accepts reads as the DOM reads it; the
// others go to the DOM reader anyway.
TEST(OnePassReader, EveryOneCharacterVariantItAcceptsReadsAsTheDomDoes)
{
    const std::string sample(kSample);
    const std::string characters = std::string("<>/=\"' &#;?!-x9\t\n\xC3") + '\0';
    std::size_t accepted = 0;
    std::size_t declined = 0;
    const auto check = [&](const std::string& variant) {
        const std::string once = ReadInOnePass(variant);
        if (once.empty()) {
            ++declined;
            return;
        }
        ++accepted;
        const std::string dom = ReadWithDom(variant);
        if (once != dom) {
            ADD_FAILURE() << "variant:\n" << variant << "\none pass:\n" << once << "\nDOM:\n" << dom;
        }
    };
    for (std::size_t i = 0; i < sample.size() && !HasFailure(); ++i) {
        check(sample.substr(0, i) + sample.substr(i + 1));
        for (const char c : characters) {
            check(sample.substr(0, i) + c + sample.substr(i));
            std::string replaced = sample;
            replaced[i] = c;
            check(replaced);
        }
    }
    // Both kinds occur: the comparison is not vacuous.
    EXPECT_GT(accepted, sample.size());
    EXPECT_GT(declined, sample.size());
}

} // namespace
