// Validation of Integer and Float values against ranges and steps.
#include "support/qorva_zel_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>

namespace {

using namespace qorva_zel_test;

using IntegerValidation = InitializedLibrary;
using FloatValidation = InitializedLibrary;

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
