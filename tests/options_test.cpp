// Registering options, finding them by name, Enum and Bool values, and the
// variants in which values cross the boundary.
#include "support/qorva_zel_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace qorva_zel_test;

using Registration = InitializedLibrary;
using EnumAndBool = InitializedLibrary;
using Variants = InitializedLibrary;

const QORVA_ZEL_Char* const kLevels[] = {u"Low", u"Medium", u"High"};

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

// Calls from several threads are serialised: every registration and every
// last value arrives intact.
TEST_F(Registration, CallsFromSeveralThreadsAreSerialised)
{
    constexpr int kThreads = 4;
    constexpr int kOptionsPerThread = 50;
    constexpr int kRounds = 20;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t]() {
            for (int i = 0; i < kOptionsPerThread; ++i) {
                const std::u16string name = u"T" + std::u16string(1, static_cast<char16_t>(u'0' + t)) + u"_" +
                                            std::u16string(1, static_cast<char16_t>(u'A' + i));
                const QORVA_ZEL_OptionDesc desc = EnumOption(name.c_str(), u"Low", kLevels, 3);
                EXPECT_EQ(QORVA_ZEL_RegisterOption(&desc), QORVA_ZEL_OK);
                for (int round = 0; round < kRounds; ++round) {
                    const QORVA_ZEL_Variant value = EnumVariant(kLevels[(i + round) % 3]);
                    EXPECT_EQ(QORVA_ZEL_SetOptionValue(&value, name.c_str()), QORVA_ZEL_OK);
                    QORVA_ZEL_Variant out{};
                    EXPECT_EQ(QORVA_ZEL_GetOptionValue(&out, name.c_str()), QORVA_ZEL_OK);
                    QORVA_ZEL_ReleaseVariant(&out);
                    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kOptionsPerThread; ++i) {
            const std::u16string name = u"T" + std::u16string(1, static_cast<char16_t>(u'0' + t)) + u"_" +
                                        std::u16string(1, static_cast<char16_t>(u'A' + i));
            EXPECT_EQ(GetEnum(name.c_str()), kLevels[(i + kRounds - 1) % 3]);
        }
    }
}

} // namespace
