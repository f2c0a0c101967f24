// The traps a hand-written binding fell into: an overload that takes a
// string literal for a bool, Enum strings that are never given back, and
// copied options whose strings point into the original.
#include "qorva_zel.hpp"

#include "support/qorva_zel_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
#  include <malloc.h>
#  define CXX_HEADER_HEAP_IN_USE() mallinfo2().uordblks
#endif

namespace zel = qorva_zel;

namespace {

// ---- Calls that must not compile -----------------------------------------------

template <class T, class = void>
struct can_set_bool : std::false_type {};
template <class T>
struct can_set_bool<T, std::void_t<decltype(std::declval<const zel::session&>().set_bool("x", std::declval<T>()))>>
    : std::true_type {};
template <class T, class = void>
struct can_set_int : std::false_type {};
template <class T>
struct can_set_int<T, std::void_t<decltype(std::declval<const zel::session&>().set_int("x", std::declval<T>()))>>
    : std::true_type {};
template <class T, class = void>
struct can_set_float : std::false_type {};
template <class T>
struct can_set_float<T, std::void_t<decltype(std::declval<const zel::session&>().set_float("x", std::declval<T>()))>>
    : std::true_type {};
template <class T, class = void>
struct can_make_bool_option : std::false_type {};
template <class T>
struct can_make_bool_option<T, std::void_t<decltype(zel::bool_option("x", std::declval<T>()))>> : std::true_type {};

static_assert(can_set_bool<bool>::value);
static_assert(!can_set_bool<const char*>::value, "a string literal must not become a bool");
static_assert(!can_set_bool<const char (&)[5]>::value);
static_assert(!can_set_bool<int>::value);
static_assert(!can_set_bool<float>::value);
static_assert(can_set_int<int>::value && can_set_int<long>::value && can_set_int<unsigned char>::value);
static_assert(!can_set_int<bool>::value && !can_set_int<double>::value && !can_set_int<const char*>::value);
static_assert(can_set_float<float>::value && can_set_float<double>::value && can_set_float<int>::value);
static_assert(!can_set_float<bool>::value && !can_set_float<const char*>::value);
static_assert(can_make_bool_option<bool>::value && !can_make_bool_option<const char*>::value &&
              !can_make_bool_option<int>::value);

class CxxHeaderTraps : public ::testing::Test {
protected:
    qorva_zel_test::TempDir dir_;
    zel::session game_{{"Traps", "1.0", ".", dir_.Path().u8string(), "traps", ""}};
};

} // namespace

TEST_F(CxxHeaderTraps, GetOfAnotherTypeIsRefusedNotReinterpreted)
{
    ASSERT_TRUE(game_);
    ASSERT_EQ(game_.add({zel::bool_option("VSync", true), zel::enum_option("Filter", "Bilinear", {"Bilinear"})}),
              zel::status::ok);
    EXPECT_EQ(game_.get_int("VSync").status(), zel::status::type_mismatch);
    EXPECT_EQ(game_.get_float("Filter").status(), zel::status::type_mismatch); // the string is still released
    EXPECT_EQ(game_.get_enum("VSync").status(), zel::status::type_mismatch);
    EXPECT_EQ(game_.get_bool("Missing").status(), zel::status::option_not_found);
    EXPECT_FALSE(game_.get_bool("Missing").has_value());
    EXPECT_EQ(game_.get_bool("Missing").value_or(true), true);
}

// Every Enum read hands out a string of the caller's; the header gives each
// one back. An AddressSanitizer build reports a leak at exit; elsewhere the
// heap in use is compared where glibc tells it.
TEST_F(CxxHeaderTraps, ManyEnumReadsDoNotLeak)
{
    ASSERT_TRUE(game_);
    ASSERT_EQ(game_.add(zel::enum_option("Filter", "Anisotropic", {"Bilinear", "Anisotropic"})), zel::status::ok);
    constexpr int kReads = 300000;
    ASSERT_EQ(game_.get_enum("Filter").value(), "Anisotropic"); // warm up
#ifdef CXX_HEADER_HEAP_IN_USE
    const auto before = CXX_HEADER_HEAP_IN_USE();
#endif
    std::size_t total = 0;
    for (int i = 0; i < kReads; ++i) {
        total += game_.get_enum("Filter").value().size();
        (void)game_.get_float("Filter"); // the wrong-type path releases too
    }
    EXPECT_EQ(total, std::size_t{kReads} * 11);
#ifdef CXX_HEADER_HEAP_IN_USE
    const auto after = CXX_HEADER_HEAP_IN_USE();
    // One leaked string per read would be several megabytes.
    EXPECT_LT(after, before + 64 * 1024) << "heap grew from " << before << " to " << after;
#endif
}

// A vector of options copies each one out of its temporary; the copy's
// allowed strings must be its own (an AddressSanitizer build reports a read
// of freed memory otherwise).
TEST_F(CxxHeaderTraps, CopiedEnumOptionsOwnTheirStrings)
{
    ASSERT_TRUE(game_);
    const std::vector<zel::option> options{
        zel::enum_option("TextureFilter", "Trilinear filtering", {"Bilinear filtering", "Trilinear filtering"}),
        zel::bool_option("VSync", true)};
    std::vector<zel::option> copies;
    copies = options;
    for (const zel::option& o : copies) {
        ASSERT_EQ(game_.add(o), zel::status::ok);
    }
    EXPECT_EQ(game_.set_enum("TextureFilter", "Bilinear filtering"), zel::status::ok);
    EXPECT_EQ(game_.get_enum("TextureFilter").value(), "Bilinear filtering");
}
