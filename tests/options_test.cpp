// Registering options, finding them by name, Enum and Bool values, the
// variants in which values cross the boundary, and the validation of
// Integer and Float values against ranges and steps.
#include "support/qorva_zel_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace qorva_zel_test;

using Registration = InitializedLibrary;
using EnumAndBool = InitializedLibrary;
using Variants = InitializedLibrary;
using IntegerValidation = InitializedLibrary;
using FloatValidation = InitializedLibrary;

TEST_F(Registration, SameNameWithAnotherTypeMakesLookupsAmbiguous)
{
    EXPECT_EQ(Register(IntOption(u"Quality", 3, 0, 10, 0)), QORVA_ZEL_OK);
    EXPECT_EQ(Register(IntOption(u"Quality", 7, 0, 10, 0)), QORVA_ZEL_ERROR_ALREADY_REGISTERED);
    EXPECT_EQ(GetInt(u"Quality"), 3) << "a refused registration replaced the option";

    EXPECT_EQ(Register(FloatOption(u"Quality", 0.5f, 0.0f, 1.0f, 0)), QORVA_ZEL_OK);
    EXPECT_EQ(Register(FloatOption(u"Quality", 0.25f, 0.0f, 1.0f, 0)), QORVA_ZEL_ERROR_ALREADY_REGISTERED);

    // The get reports the ambiguity and still hands out the last one.
    QORVA_ZEL_Variant v = IntVariant(-1);
    EXPECT_EQ(QORVA_ZEL_GetOptionValue(&v, u"Quality"), QORVA_ZEL_ERROR_AMBIGUOUS_OPTION);
    EXPECT_EQ(v.Type, QORVA_ZEL_Float);
    EXPECT_EQ(v.Value.FloatValue, 0.5f);

    // The set works on the last registered option and never answers -21.
    EXPECT_EQ(SetInt(u"Quality", 3), QORVA_ZEL_ERROR_TYPE_MISMATCH);
    EXPECT_EQ(SetFloat(u"Quality", 0.75f), QORVA_ZEL_OK);
    EXPECT_EQ(GetFloat(u"Quality"), 0.75f);
    EXPECT_EQ(SetFloat(u"Quality", 2.0f), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);

    // A third type under the same name becomes the one that is read and set.
    EXPECT_EQ(Register(EnumOption(u"Quality", u"High", kLevels, 3)), QORVA_ZEL_OK);
    EXPECT_EQ(GetEnum(u"Quality"), u"High");
    EXPECT_EQ(SetFloat(u"Quality", 0.25f), QORVA_ZEL_ERROR_TYPE_MISMATCH);
    EXPECT_EQ(SetEnum(u"Quality", u"Low"), QORVA_ZEL_OK);
}

TEST_F(Registration, NamesAreComparedExactlyCodeUnitByCodeUnit)
{
    ASSERT_EQ(Register(IntOption(u"Quality", 1, 0, 10, 0)), QORVA_ZEL_OK);
    QORVA_ZEL_Variant v = IntVariant(42);
    for (const QORVA_ZEL_Char* other : {u"quality", u"QUALITY", u"Qualit", u"Quality ", u" Quality", u""}) {
        EXPECT_EQ(QORVA_ZEL_GetOptionValue(&v, other), QORVA_ZEL_ERROR_OPTION_NOT_FOUND) << std::u16string(other).size();
        EXPECT_EQ(SetInt(other, 2), QORVA_ZEL_ERROR_OPTION_NOT_FOUND);
    }
    EXPECT_EQ(v.Type, QORVA_ZEL_Integer) << "a get that found nothing touched the variant";
    EXPECT_EQ(v.Value.IntValue, 42);

    // Another case is another option, not a repeat.
    EXPECT_EQ(Register(IntOption(u"quality", 9, 0, 10, 0)), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Quality"), 1);
    EXPECT_EQ(GetInt(u"quality"), 9);

    // Code units beyond ASCII, surrogate pairs and the empty name.
    EXPECT_EQ(Register(IntOption(u"Qualit\u00e4t", 4, 0, 10, 0)), QORVA_ZEL_OK);
    EXPECT_EQ(Register(IntOption(u"Qualit\u00c4t", 5, 0, 10, 0)), QORVA_ZEL_OK);
    EXPECT_EQ(Register(IntOption(u"\U0001F3AE", 6, 0, 10, 0)), QORVA_ZEL_OK);
    EXPECT_EQ(Register(IntOption(u"", 7, 0, 10, 0)), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Qualit\u00e4t"), 4);
    EXPECT_EQ(GetInt(u"Qualit\u00c4t"), 5);
    EXPECT_EQ(GetInt(u"\U0001F3AE"), 6);
    EXPECT_EQ(GetInt(u""), 7);
    EXPECT_EQ(QORVA_ZEL_GetOptionValue(&v, u"\U0001F3AF"), QORVA_ZEL_ERROR_OPTION_NOT_FOUND);
}

TEST_F(Registration, DefaultsAreStoredWithoutValidation)
{
    ASSERT_EQ(Register(IntOption(u"Detail", 50, 0, 10, 2)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(FloatOption(u"Gamma", 7.5f, 0.0f, 1.0f, 4)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(EnumOption(u"Shadows", u"Ultra", kLevels, 3)), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Detail"), 50);
    EXPECT_EQ(GetFloat(u"Gamma"), 7.5f);
    EXPECT_EQ(GetEnum(u"Shadows"), u"Ultra");
    // The default is no more allowed than any other value outside the rules.
    EXPECT_EQ(SetEnum(u"Shadows", u"Ultra"), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(SetInt(u"Detail", 50), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
}

TEST_F(Registration, TypeNumbersOutsideTheFourHaveANameButNoValue)
{
    const std::int32_t numbers[] = {4, 99, -1, 0x7FFFFFFF, INT32_MIN};
    char16_t suffix = u'A';
    for (const std::int32_t number : numbers) {
        const std::u16string name = u"Custom" + std::u16string(1, suffix++);
        QORVA_ZEL_OptionDesc desc = IntOption(name.c_str(), 5, 0, 10, 2);
        desc.Type = static_cast<QORVA_ZEL_OptionType>(number);
        ASSERT_EQ(Register(desc), QORVA_ZEL_OK) << number;
        EXPECT_EQ(Register(desc), QORVA_ZEL_ERROR_ALREADY_REGISTERED) << number;

        // A get fills the type and leaves the value alone.
        QORVA_ZEL_Variant v = IntVariant(0x5A5A5A5A);
        EXPECT_EQ(QORVA_ZEL_GetOptionValue(&v, name.c_str()), QORVA_ZEL_OK);
        EXPECT_EQ(static_cast<std::int32_t>(v.Type), number);
        EXPECT_EQ(v.Value.IntValue, 0x5A5A5A5A);

        // A set of the same type is accepted whatever it holds; another type is not.
        QORVA_ZEL_Variant anything{};
        anything.Type = static_cast<QORVA_ZEL_OptionType>(number);
        anything.Value.IntValue = -12345;
        EXPECT_EQ(Set(name.c_str(), anything), QORVA_ZEL_OK) << number;
        EXPECT_EQ(SetInt(name.c_str(), 5), QORVA_ZEL_ERROR_TYPE_MISMATCH) << number;
        v = IntVariant(0x5A5A5A5A);
        EXPECT_EQ(QORVA_ZEL_GetOptionValue(&v, name.c_str()), QORVA_ZEL_OK);
        EXPECT_EQ(v.Value.IntValue, 0x5A5A5A5A);
    }
}

TEST_F(Registration, NullPointersInsideADescriptorAreRefusedAndNothingIsRegistered)
{
    const QORVA_ZEL_Char* const withNull[] = {u"Low", nullptr, u"High"};
    QORVA_ZEL_OptionDesc nullName = IntOption(nullptr, 1, 0, 3, 0);
    EXPECT_EQ(Register(nullName), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(Register(EnumOption(u"A", nullptr, kLevels, 3)), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(Register(EnumOption(u"B", u"Low", nullptr, 2)), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(Register(EnumOption(u"C", u"Low", withNull, 3)), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    QORVA_ZEL_Variant v{};
    for (const QORVA_ZEL_Char* name : {u"A", u"B", u"C"}) {
        EXPECT_EQ(QORVA_ZEL_GetOptionValue(&v, name), QORVA_ZEL_ERROR_OPTION_NOT_FOUND);
    }

    // Only the entries that NumValues counts are read, and a null list with
    // no entries is fine; other types carry no string to test.
    EXPECT_EQ(Register(EnumOption(u"C", u"Low", withNull, 1)), QORVA_ZEL_OK);
    EXPECT_EQ(Register(EnumOption(u"D", u"Low", nullptr, 0)), QORVA_ZEL_OK);
    QORVA_ZEL_OptionDesc boolean = BoolOption(u"E", 1);
    boolean.Value.StringValue = nullptr;
    boolean.Value.BoolValue = 1;
    EXPECT_EQ(Register(boolean), QORVA_ZEL_OK);
    EXPECT_EQ(SetEnum(u"C", u"Low"), QORVA_ZEL_OK);
    EXPECT_EQ(SetEnum(u"C", u"High"), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);

    // A null string in an Enum variant is refused before the option is looked up.
    EXPECT_EQ(Set(u"C", EnumVariant(nullptr)), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(Set(u"Nowhere", EnumVariant(nullptr)), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(GetEnum(u"C"), u"Low");
}

TEST_F(Registration, EveryStringIsCopiedAtTheCall)
{
    std::u16string name = u"Texture";
    std::u16string value = u"Medium";
    std::vector<std::u16string> allowed = {u"Low", u"Medium", u"High"};
    std::vector<const QORVA_ZEL_Char*> pointers;
    for (const std::u16string& s : allowed) {
        pointers.push_back(s.c_str());
    }
    ASSERT_EQ(Register(EnumOption(name.c_str(), value.c_str(), pointers.data(), 3)), QORVA_ZEL_OK);
    std::fill(name.begin(), name.end(), u'#');
    std::fill(value.begin(), value.end(), u'#');
    for (std::u16string& s : allowed) {
        std::fill(s.begin(), s.end(), u'#');
    }
    std::fill(pointers.begin(), pointers.end(), nullptr);

    EXPECT_EQ(GetEnum(u"Texture"), u"Medium");
    EXPECT_EQ(SetEnum(u"Texture", u"High"), QORVA_ZEL_OK);

    // The value given to a set stays the caller's too.
    std::u16string wanted = u"Low";
    EXPECT_EQ(SetEnum(u"Texture", wanted.c_str()), QORVA_ZEL_OK);
    wanted = u"###";
    EXPECT_EQ(GetEnum(u"Texture"), u"Low");
}

TEST_F(EnumAndBool, EnumValuesMustBeOneOfTheAllowedStringsExactly)
{
    ASSERT_EQ(Register(EnumOption(u"Shadows", u"Medium", kLevels, 3)), QORVA_ZEL_OK);
    for (const QORVA_ZEL_Char* allowed : kLevels) {
        EXPECT_EQ(SetEnum(u"Shadows", allowed), QORVA_ZEL_OK);
        EXPECT_EQ(GetEnum(u"Shadows"), allowed);
    }
    for (const QORVA_ZEL_Char* refused : {u"high", u"HIGH", u"Hig", u"Highest", u"High ", u""}) {
        EXPECT_EQ(SetEnum(u"Shadows", refused), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    }
    EXPECT_EQ(SetInt(u"Shadows", 0), QORVA_ZEL_ERROR_TYPE_MISMATCH);
    EXPECT_EQ(SetBool(u"Shadows", 1), QORVA_ZEL_ERROR_TYPE_MISMATCH);
    EXPECT_EQ(GetEnum(u"Shadows"), u"High") << "a refused set changed the value";

    // With no allowed strings nothing can be set, not even the default.
    ASSERT_EQ(Register(EnumOption(u"Language", u"English", nullptr, 0)), QORVA_ZEL_OK);
    EXPECT_EQ(GetEnum(u"Language"), u"English");
    EXPECT_EQ(SetEnum(u"Language", u"English"), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(SetEnum(u"Language", u""), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(GetEnum(u"Language"), u"English");
}

TEST_F(EnumAndBool, BoolAcceptsAnyByteAndKeepsIt)
{
    ASSERT_EQ(Register(BoolOption(u"VSync", 2)), QORVA_ZEL_OK);
    EXPECT_EQ(GetBool(u"VSync"), 2);
    for (const std::uint8_t byte : {0, 1, 2, 0x80, 0xFF}) {
        EXPECT_EQ(SetBool(u"VSync", byte), QORVA_ZEL_OK);
        EXPECT_EQ(GetBool(u"VSync"), byte);
    }
    EXPECT_EQ(SetInt(u"VSync", 1), QORVA_ZEL_ERROR_TYPE_MISMATCH);
    EXPECT_EQ(SetFloat(u"VSync", 1.0f), QORVA_ZEL_ERROR_TYPE_MISMATCH);
    EXPECT_EQ(SetEnum(u"VSync", u"true"), QORVA_ZEL_ERROR_TYPE_MISMATCH);
    EXPECT_EQ(GetBool(u"VSync"), 0xFF);
}

TEST_F(Variants, EnumGetsHandOutFreshCopiesThatTheCallerReleases)
{
    ASSERT_EQ(Register(EnumOption(u"Shadows", u"Medium", kLevels, 3)), QORVA_ZEL_OK);

    // A string the variant held before is the caller's: the get leaves it alone.
    static const QORVA_ZEL_Char kCallersString[] = u"caller";
    QORVA_ZEL_Variant first = EnumVariant(kCallersString);
    QORVA_ZEL_Variant second{};
    ASSERT_EQ(QORVA_ZEL_GetOptionValue(&first, u"Shadows"), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_GetOptionValue(&second, u"Shadows"), QORVA_ZEL_OK);
    ASSERT_NE(first.Value.StringValue, nullptr);
    ASSERT_NE(second.Value.StringValue, nullptr);
    EXPECT_NE(first.Value.StringValue, second.Value.StringValue);
    EXPECT_NE(first.Value.StringValue, kCallersString);
    EXPECT_EQ(std::u16string(kCallersString), u"caller");

    // Each copy is independent of the option and of the other copy.
    ASSERT_EQ(SetEnum(u"Shadows", u"High"), QORVA_ZEL_OK);
    EXPECT_EQ(std::u16string(first.Value.StringValue), u"Medium");
    QORVA_ZEL_ReleaseVariant(&first);
    EXPECT_EQ(first.Value.StringValue, nullptr);
    EXPECT_EQ(first.Type, QORVA_ZEL_Enum);
    EXPECT_EQ(std::u16string(second.Value.StringValue), u"Medium");
    QORVA_ZEL_ReleaseVariant(&second);
    EXPECT_EQ(second.Value.StringValue, nullptr);

    // Releasing again, or releasing nothing, is harmless.
    QORVA_ZEL_ReleaseVariant(&first);
    QORVA_ZEL_ReleaseVariant(nullptr);
    EXPECT_EQ(first.Value.StringValue, nullptr);
    EXPECT_EQ(GetEnum(u"Shadows"), u"High");
}

TEST_F(Variants, OtherTypesAreFilledAndReleasedWithoutTouchingTheRestOfTheValue)
{
    ASSERT_EQ(Register(IntOption(u"Detail", -7, -10, 10, 0)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(FloatOption(u"Gamma", 2.2f, 1.0f, 3.0f, 0)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(BoolOption(u"VSync", 1)), QORVA_ZEL_OK);

    // Only the member of the type is written: the other bytes stay.
    auto prefilled = []() {
        QORVA_ZEL_Variant v;
        std::memset(&v, 0xAB, sizeof v);
        return v;
    };
    auto tailBytesKept = [](const QORVA_ZEL_Variant& v, std::size_t from) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&v.Value);
        return std::all_of(bytes + from, bytes + sizeof v.Value, [](unsigned char b) { return b == 0xAB; });
    };
    QORVA_ZEL_Variant i = prefilled();
    QORVA_ZEL_Variant f = prefilled();
    QORVA_ZEL_Variant b = prefilled();
    ASSERT_EQ(QORVA_ZEL_GetOptionValue(&i, u"Detail"), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_GetOptionValue(&f, u"Gamma"), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_GetOptionValue(&b, u"VSync"), QORVA_ZEL_OK);
    EXPECT_EQ(i.Type, QORVA_ZEL_Integer);
    EXPECT_EQ(i.Value.IntValue, -7);
    EXPECT_EQ(f.Type, QORVA_ZEL_Float);
    EXPECT_EQ(f.Value.FloatValue, 2.2f);
    EXPECT_EQ(b.Type, QORVA_ZEL_Bool);
    EXPECT_EQ(b.Value.BoolValue, 1);
    EXPECT_TRUE(tailBytesKept(i, sizeof(std::int32_t)));
    EXPECT_TRUE(tailBytesKept(f, sizeof(float)));
    EXPECT_TRUE(tailBytesKept(b, 1));

    // Releasing a variant that holds no library string changes nothing.
    for (QORVA_ZEL_Variant* v : {&i, &f, &b}) {
        QORVA_ZEL_Variant before;
        std::memcpy(&before, v, sizeof before);
        QORVA_ZEL_ReleaseVariant(v);
        EXPECT_EQ(std::memcmp(&before, v, sizeof before), 0);
    }
}

TEST_F(Variants, ARefusedSetLeavesTheEarlierValue)
{
    ASSERT_EQ(Register(IntOption(u"Detail", 0, 0, 10, 5)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(FloatOption(u"Gamma", 1.0f, 1.0f, 2.0f, 2)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(EnumOption(u"Shadows", u"Low", kLevels, 3)), QORVA_ZEL_OK);
    ASSERT_EQ(SetInt(u"Detail", 4), QORVA_ZEL_OK);
    ASSERT_EQ(SetFloat(u"Gamma", 1.5f), QORVA_ZEL_OK);
    ASSERT_EQ(SetEnum(u"Shadows", u"Medium"), QORVA_ZEL_OK);

    EXPECT_EQ(SetInt(u"Detail", 5), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);
    EXPECT_EQ(SetInt(u"Detail", 12), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(SetFloat(u"Detail", 4.0f), QORVA_ZEL_ERROR_TYPE_MISMATCH);
    EXPECT_EQ(SetFloat(u"Gamma", 1.25f), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);
    EXPECT_EQ(SetFloat(u"Gamma", 2.5f), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(SetInt(u"Gamma", 1), QORVA_ZEL_ERROR_TYPE_MISMATCH);
    EXPECT_EQ(SetEnum(u"Shadows", u"Epic"), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(SetBool(u"Shadows", 1), QORVA_ZEL_ERROR_TYPE_MISMATCH);

    EXPECT_EQ(GetInt(u"Detail"), 4);
    EXPECT_EQ(GetFloat(u"Gamma"), 1.5f);
    EXPECT_EQ(GetEnum(u"Shadows"), u"Medium");
}

// ---- Validation of Integer and Float values -------------------------------------

constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

TEST_F(IntegerValidation, RangesAndTruncatedSteps)
{
    // 0..10 in 3 steps: the step truncates to 3, so 10 itself is off a step.
    ASSERT_EQ(Register(IntOption(u"A", 0, 0, 10, 3)), QORVA_ZEL_OK);
    for (const std::int32_t v : {0, 3, 6, 9}) {
        EXPECT_EQ(SetInt(u"A", v), QORVA_ZEL_OK) << v;
        EXPECT_EQ(GetInt(u"A"), v);
    }
    for (const std::int32_t v : {1, 5, 10}) {
        EXPECT_EQ(SetInt(u"A", v), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP) << v;
    }
    for (const std::int32_t v : {11, -1, kIntMin, kIntMax}) {
        EXPECT_EQ(SetInt(u"A", v), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED) << v;
    }
    EXPECT_EQ(GetInt(u"A"), 9);

    // Negative minimum: steps are counted from it.
    ASSERT_EQ(Register(IntOption(u"B", 0, -10, 10, 4)), QORVA_ZEL_OK);
    for (const std::int32_t v : {-10, -5, 0, 5, 10}) {
        EXPECT_EQ(SetInt(u"B", v), QORVA_ZEL_OK) << v;
    }
    for (const std::int32_t v : {-7, -9, 1, 9}) {
        EXPECT_EQ(SetInt(u"B", v), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP) << v;
    }
    EXPECT_EQ(SetInt(u"B", -11), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);

    // A step that truncates to 0 (or a huge step count) tests the range only.
    ASSERT_EQ(Register(IntOption(u"C", 0, 0, 2, 5)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(IntOption(u"D", 0, 0, 10, kIntMax)), QORVA_ZEL_OK);
    for (const std::int32_t v : {0, 1, 2}) {
        EXPECT_EQ(SetInt(u"C", v), QORVA_ZEL_OK) << v;
        EXPECT_EQ(SetInt(u"D", v + 7), QORVA_ZEL_OK) << v;
    }
    EXPECT_EQ(SetInt(u"C", 3), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(SetInt(u"C", -1), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(SetInt(u"D", 11), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);

    // NumSteps below 0 allows anything; 0 tests the inclusive range alone.
    ASSERT_EQ(Register(IntOption(u"Free", 0, 0, 10, -1)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(IntOption(u"Ranged", 0, 0, 10, 0)), QORVA_ZEL_OK);
    for (const std::int32_t v : {-1000, kIntMin, kIntMax, 11, 7}) {
        EXPECT_EQ(SetInt(u"Free", v), QORVA_ZEL_OK) << v;
        EXPECT_EQ(GetInt(u"Free"), v);
    }
    for (const std::int32_t v : {0, 7, 10}) {
        EXPECT_EQ(SetInt(u"Ranged", v), QORVA_ZEL_OK) << v;
    }
    for (const std::int32_t v : {-1, 11}) {
        EXPECT_EQ(SetInt(u"Ranged", v), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED) << v;
    }

    // A minimum above the maximum registers, and then nothing can be set.
    ASSERT_EQ(Register(IntOption(u"Upside", 5, 10, 0, 0)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(IntOption(u"UpsideStepped", 5, 10, 0, 2)), QORVA_ZEL_OK);
    for (const std::int32_t v : {0, 5, 10}) {
        EXPECT_EQ(SetInt(u"Upside", v), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED) << v;
        EXPECT_EQ(SetInt(u"UpsideStepped", v), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED) << v;
    }
    EXPECT_EQ(GetInt(u"Upside"), 5);
}

// Ranges whose width does not fit 32 signed bits: the steps are exact.
TEST_F(IntegerValidation, FullWidthRangesNeverOverflow)
{
    // The width 4294967295 halves to a step of 2147483647 (truncated): the
    // steps are kIntMin, -1 and kIntMax - 1.
    ASSERT_EQ(Register(IntOption(u"Halves", 0, kIntMin, kIntMax, 2)), QORVA_ZEL_OK);
    for (const std::int32_t v : {kIntMin, -1, kIntMax - 1}) {
        EXPECT_EQ(SetInt(u"Halves", v), QORVA_ZEL_OK) << v;
        EXPECT_EQ(GetInt(u"Halves"), v);
    }
    for (const std::int32_t v : {0, 1, -2, kIntMin + 1, kIntMax}) {
        EXPECT_EQ(SetInt(u"Halves", v), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP) << v;
    }

    // One step of 4294967295: only the two ends.
    ASSERT_EQ(Register(IntOption(u"Ends", 0, kIntMin, kIntMax, 1)), QORVA_ZEL_OK);
    EXPECT_EQ(SetInt(u"Ends", kIntMin), QORVA_ZEL_OK);
    EXPECT_EQ(SetInt(u"Ends", kIntMax), QORVA_ZEL_OK);
    EXPECT_EQ(SetInt(u"Ends", 0), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);
    EXPECT_EQ(SetInt(u"Ends", -1), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);

    // Step 1431655765 from kIntMin.
    ASSERT_EQ(Register(IntOption(u"Thirds", 0, kIntMin, kIntMax, 3)), QORVA_ZEL_OK);
    for (const std::int32_t v : {kIntMin, -715827883, 715827882, kIntMax}) {
        EXPECT_EQ(SetInt(u"Thirds", v), QORVA_ZEL_OK) << v;
    }
    EXPECT_EQ(SetInt(u"Thirds", 0), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);
    EXPECT_EQ(SetInt(u"Thirds", -715827882), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);

    // Step 2147483648, one more than the largest 32-bit integer.
    ASSERT_EQ(Register(IntOption(u"LowerHalf", 0, kIntMin, 0, 1)), QORVA_ZEL_OK);
    EXPECT_EQ(SetInt(u"LowerHalf", kIntMin), QORVA_ZEL_OK);
    EXPECT_EQ(SetInt(u"LowerHalf", 0), QORVA_ZEL_OK);
    EXPECT_EQ(SetInt(u"LowerHalf", -1), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);
    EXPECT_EQ(SetInt(u"LowerHalf", 1), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);

    // A width of 2147484647 in kIntMax steps: a step of 1, every value in range.
    ASSERT_EQ(Register(IntOption(u"Every", 0, -1000, kIntMax, kIntMax)), QORVA_ZEL_OK);
    for (const std::int32_t v : {-1000, -1, 0, 12345, kIntMax}) {
        EXPECT_EQ(SetInt(u"Every", v), QORVA_ZEL_OK) << v;
    }
    EXPECT_EQ(SetInt(u"Every", -1001), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
}

TEST_F(FloatValidation, TenthsAreAcceptedOnEveryStepIncludingTheMaximum)
{
    ASSERT_EQ(Register(FloatOption(u"Tenths", 0.0f, 0.0f, 1.0f, 10)), QORVA_ZEL_OK);
    // As a game writes them, and as a game computes them.
    const float written[] = {0.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f};
    for (int k = 0; k <= 10; ++k) {
        EXPECT_EQ(SetFloat(u"Tenths", written[k]), QORVA_ZEL_OK) << written[k];
        EXPECT_EQ(GetFloat(u"Tenths"), written[k]);
        const float computed = static_cast<float>(k) * 0.1f;
        EXPECT_EQ(SetFloat(u"Tenths", computed), QORVA_ZEL_OK) << computed;
        const float divided = static_cast<float>(k) / 10.0f;
        EXPECT_EQ(SetFloat(u"Tenths", divided), QORVA_ZEL_OK) << divided;
    }
    for (int k = 0; k < 10; ++k) {
        const float midpoint = 0.05f + 0.1f * static_cast<float>(k);
        EXPECT_EQ(SetFloat(u"Tenths", midpoint), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP) << midpoint;
    }
    // Close to a step, but much further than rounding would put it.
    EXPECT_EQ(SetFloat(u"Tenths", 0.5001f), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);
    EXPECT_EQ(SetFloat(u"Tenths", 0.4999f), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);
    EXPECT_EQ(SetFloat(u"Tenths", 0.001f), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);
    for (const float v : {1.5f, -0.1f, 1.0001f, kNaN, kInf, -kInf}) {
        EXPECT_EQ(SetFloat(u"Tenths", v), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED) << v;
    }
    EXPECT_EQ(GetFloat(u"Tenths"), 1.0f);
}

TEST_F(FloatValidation, QuartersHalvesAndUnsteppedRanges)
{
    ASSERT_EQ(Register(FloatOption(u"Quarters", 0.0f, 0.0f, 1.0f, 4)), QORVA_ZEL_OK);
    for (const float v : {0.0f, -0.0f, 0.25f, 0.5f, 0.75f, 1.0f}) {
        EXPECT_EQ(SetFloat(u"Quarters", v), QORVA_ZEL_OK) << v;
    }
    for (const float v : {0.3f, 0.125f, 0.9f}) {
        EXPECT_EQ(SetFloat(u"Quarters", v), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP) << v;
    }
    for (const float v : {1.5f, kNaN, -0.25f}) {
        EXPECT_EQ(SetFloat(u"Quarters", v), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED) << v;
    }

    // The distance from a non-zero minimum is what is divided into steps.
    ASSERT_EQ(Register(FloatOption(u"Halves", 1.0f, 1.0f, 2.0f, 2)), QORVA_ZEL_OK);
    for (const float v : {1.0f, 1.5f, 2.0f}) {
        EXPECT_EQ(SetFloat(u"Halves", v), QORVA_ZEL_OK) << v;
    }
    for (const float v : {1.25f, 1.75f, 1.1f}) {
        EXPECT_EQ(SetFloat(u"Halves", v), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP) << v;
    }
    EXPECT_EQ(SetFloat(u"Halves", 0.5f), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);

    ASSERT_EQ(Register(FloatOption(u"Negative", 0.0f, -3.0f, -1.0f, 4)), QORVA_ZEL_OK);
    for (const float v : {-3.0f, -2.5f, -2.0f, -1.5f, -1.0f}) {
        EXPECT_EQ(SetFloat(u"Negative", v), QORVA_ZEL_OK) << v;
    }
    EXPECT_EQ(SetFloat(u"Negative", -1.25f), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);
    EXPECT_EQ(SetFloat(u"Negative", 0.0f), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);

    // Below 0 steps: anything at all, even not a number; 0 steps: the range.
    ASSERT_EQ(Register(FloatOption(u"Free", 0.0f, 0.0f, 1.0f, -1)), QORVA_ZEL_OK);
    for (const float v : {-1e30f, 7.5f, kInf}) {
        EXPECT_EQ(SetFloat(u"Free", v), QORVA_ZEL_OK) << v;
        EXPECT_EQ(GetFloat(u"Free"), v);
    }
    EXPECT_EQ(SetFloat(u"Free", kNaN), QORVA_ZEL_OK);
    EXPECT_TRUE(std::isnan(GetFloat(u"Free")));
    ASSERT_EQ(Register(FloatOption(u"Ranged", 0.0f, 0.0f, 1.0f, 0)), QORVA_ZEL_OK);
    EXPECT_EQ(SetFloat(u"Ranged", 0.333333f), QORVA_ZEL_OK);
    EXPECT_EQ(SetFloat(u"Ranged", 1.0f), QORVA_ZEL_OK);
    EXPECT_EQ(SetFloat(u"Ranged", 1.0001f), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(SetFloat(u"Ranged", kNaN), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);

    // A minimum above the maximum refuses everything.
    ASSERT_EQ(Register(FloatOption(u"Upside", 0.5f, 1.0f, 0.0f, 2)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(FloatOption(u"UpsideRanged", 0.5f, 1.0f, 0.0f, 0)), QORVA_ZEL_OK);
    for (const float v : {0.0f, 0.5f, 1.0f}) {
        EXPECT_EQ(SetFloat(u"Upside", v), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED) << v;
        EXPECT_EQ(SetFloat(u"UpsideRanged", v), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED) << v;
    }
}

// Over many ranges, every step MinValue + k * step as a game computes it in
// single precision is accepted, and every point halfway between two steps is
// refused. The seed is fixed, so every run checks the same ranges.
TEST_F(FloatValidation, RandomRangesAcceptEveryStepAndRefuseMidpoints)
{
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<int> scaleExponent(-2, 6);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> widthFactor(0.1f, 2.0f);
    std::uniform_int_distribution<int> stepCount(1, 100);

    constexpr int kRanges = 300;
    int checked = 0;
    int failures = 0;
    std::ostringstream report;
    for (int r = 0; r < kRanges; ++r) {
        const float scale = std::pow(10.0f, static_cast<float>(scaleExponent(random)));
        const float min = unit(random) * scale;
        const float max = min + widthFactor(random) * scale;
        const int numSteps = stepCount(random);
        const std::u16string name = u"Range" + std::u16string(1, static_cast<char16_t>(0x4E00 + r));
        ASSERT_EQ(Register(FloatOption(name.c_str(), min, min, max, numSteps)), QORVA_ZEL_OK);
        const float step = (max - min) / static_cast<float>(numSteps);

        for (int k = 0; k <= numSteps; ++k) {
            const float onStep = min + static_cast<float>(k) * step;
            if (onStep <= max) { // the last step may round just past the maximum
                ++checked;
                const QORVA_ZEL_Status status = SetFloat(name.c_str(), onStep);
                if (status != QORVA_ZEL_OK && failures++ < 10) {
                    report << "\n  [" << min << ", " << max << "] in " << numSteps << " steps: step " << k << " ("
                           << onStep << ") gave " << status;
                }
            }
            if (k == numSteps) {
                break;
            }
            const float midpoint = min + (static_cast<float>(k) + 0.5f) * step;
            ++checked;
            const QORVA_ZEL_Status status = SetFloat(name.c_str(), midpoint);
            if (status != QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP && failures++ < 10) {
                report << "\n  [" << min << ", " << max << "] in " << numSteps << " steps: midpoint " << k << " ("
                       << midpoint << ") gave " << status;
            }
        }
    }
    EXPECT_EQ(failures, 0) << failures << " of " << checked << " values answered wrongly:" << report.str();
    EXPECT_GT(checked, kRanges * 20);
}

} // namespace
