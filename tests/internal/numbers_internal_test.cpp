// Number texts and string conversions of the settings file, below the
// exported functions.
#include "settingsfile/escape.h"
#include "settingsfile/numbers.h"
#include "text/utf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using namespace qorva_zel;

TEST(Numbers, FloatTextsReadBackExactly)
{
    // Every float, sampled by bit pattern, comes back as itself; the text is
    // never longer than needed.
    std::mt19937 random(7);
    std::uniform_int_distribution<std::uint32_t> bits;
    for (int i = 0; i < 200000; ++i) {
        const std::uint32_t pattern = bits(random);
        float value;
        std::memcpy(&value, &pattern, sizeof value);
        const std::string text = FormatFloat(value);
        const float back = ReadFloat(text);
        if (std::isnan(value)) {
            ASSERT_TRUE(std::isnan(back)) << text;
            continue;
        }
        ASSERT_EQ(std::memcmp(&back, &value, sizeof value), 0) << text;
        ASSERT_LE(text.size(), 15u) << text;
    }
    EXPECT_EQ(FormatFloat(1.0f / 3.0f), "0.33333334");
    EXPECT_EQ(FormatFloat(0.1f), "0.1");
    EXPECT_EQ(FormatFloat(1e-05f), "1e-05");
    EXPECT_EQ(FormatFloat(1234567.0f), "1234567");
    EXPECT_EQ(FormatFloat(16777216.0f), "16777216");
    EXPECT_EQ(FormatFloat(1e+10f), "1e+10");
    EXPECT_EQ(FormatFloat(std::numeric_limits<float>::max()), "3.4028235e+38");
}

TEST(Numbers, ReadingRules)
{
    EXPECT_EQ(ReadInt(" \t-42abc"), -42);
    EXPECT_EQ(ReadInt("+7"), 7);
    EXPECT_EQ(ReadInt("--1"), 0);
    EXPECT_EQ(ReadInt("2147483648"), 2147483647);
    EXPECT_EQ(ReadInt("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ReadInt("-99999999999999999999"), -2147483647 - 1);
    EXPECT_EQ(ReadInt(""), 0);

    EXPECT_EQ(ReadFloat("1e-005"), 1e-05f);
    EXPECT_EQ(ReadFloat("1.23457e+006"), 1234570.0f);
    EXPECT_EQ(ReadFloat("-.5e1x"), -5.0f);
    EXPECT_EQ(ReadFloat("."), 0.0f);
    EXPECT_EQ(ReadFloat("1.2.3"), 1.2f);
    EXPECT_EQ(ReadFloat("0x1p3"), 0.0f); // no hexadecimal forms
    EXPECT_EQ(ReadFloat("3.4028235677e38"), std::numeric_limits<float>::max()); // rounds down to the largest
    EXPECT_EQ(ReadFloat("3.4028235678e38"), std::numeric_limits<float>::infinity());
    EXPECT_EQ(ReadFloat("3.5e38"), std::numeric_limits<float>::infinity());
    EXPECT_EQ(ReadFloat("-1e400"), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(ReadFloat("1e-400"), 0.0f);
    EXPECT_EQ(ReadFloat("-INF"), -std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isnan(ReadFloat("nan")));

    for (const char* yes : {"1", "t", "True", "yes", "Y"}) {
        EXPECT_TRUE(ReadBool(yes)) << yes;
    }
    for (const char* no : {"", "0", "false", "no", " true", "on"}) {
        EXPECT_FALSE(ReadBool(no)) << no;
    }
}

TEST(Text, ConversionsKeepEveryCodeUnit)
{
    // Pairs, lone surrogates of both kinds and the characters around them.
    const std::u16string awkward = {u'a', 0xD83C, 0xDFAE, 0xD800, u'b', 0xDC00, 0xFFFF, 0x00E9, 0xD83C};
    EXPECT_EQ(FromUtf8(ToUtf8(awkward)), awkward);
    EXPECT_EQ(FromUtf8("\xC3\xA9\xF0\x9F\x8E\xAE"), u"\u00e9\U0001F3AE");
    EXPECT_EQ(FromUtf8("a\xFF" "b\xC0\x80"), u"a\uFFFDb\uFFFD\uFFFD");

    const std::string bytes("\xFF\xFE<\0a\0\xE9\0!", 9); // mark, "<a", U+00E9, odd byte
    EXPECT_EQ(Utf16LeBytesToUtf8(bytes), "<a\xC3\xA9");

    // Decoding over the bytes themselves gives the same text, or declines
    // (bytes untouched) where the text would overtake them: three bytes of
    // UTF-8 for each of the first units.
    const auto inPlace = [](std::u16string_view units) {
        std::string buffer(reinterpret_cast<const char*>(units.data()), units.size() * 2);
        const std::string copy = Utf16LeBytesToUtf8(buffer);
        const std::string before = buffer;
        const bool done = Utf16LeBytesToUtf8InPlace(buffer);
        EXPECT_EQ(done ? buffer : copy, copy);
        EXPECT_TRUE(done || buffer == before);
        return done;
    };
    EXPECT_TRUE(inPlace(u"<OPTION Name=\"\u00e9\U0001F3AE\" Value=\"0123456789abcdef\"/>\uFEFF"));
    EXPECT_TRUE(inPlace(u"\uFEFF<a>\u65e5\u672c</a>"));
    EXPECT_FALSE(inPlace(u"\u65e5\u672c\u8a9e<a/>"));

    std::u16string escaped;
    AppendEscapedAttribute(u"&<>\"'\t\n\x1F\u00e9", escaped);
    EXPECT_EQ(escaped, u"&amp;&lt;&gt;&quot;'\t&#10;&#31;\u00e9");
}
