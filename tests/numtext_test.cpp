#include "numtext/numtext.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "numtext/reals.h"

namespace tarvel {
namespace {

constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMin32 = std::numeric_limits<std::int32_t>::min();

TEST(FormatInteger, Examples) {
    EXPECT_EQ(FormatInteger(0), "0");
    EXPECT_EQ(FormatInteger(-5), "-5");
    EXPECT_EQ(FormatInteger(-2147483648LL), "-2147483648");
    EXPECT_EQ(FormatInteger(4294967296LL), "4294967296");
    EXPECT_EQ(FormatInteger(kMin64), "-9223372036854775808");
    EXPECT_EQ(FormatInteger(std::numeric_limits<std::int64_t>::max()), "9223372036854775807");
}

TEST(FormatReal, Examples) {
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {5.0f, "5"},
        {20.0f, "20"},
        {100.0f, "100"},
        {0.5f, "0.5"},
        {-2.5f, "-2.5"},
        {0.25f, "0.25"},
        {-0.0f, "0"},
        {0.00000000001f, "0"},
        {-0.00000000001f, "-0"},
        {0.1f, "0.1000000015"},
        {12.7f, "12.6999998093"},
        {StoreReal(360.0 / 7.0), "51.4285697937"},
        {StoreReal(2 * 360.0 / 7.0), "102.8571395874"},
        {StoreReal(3 * 360.0 / 7.0), "154.2857208252"},
        {StoreReal(360.0 / 12.0), "30"},
        {StoreReal(2 * 360.0 / 12.0), "60"},
        {StoreReal(3 * 360.0 / 12.0), "90"},
        {std::numeric_limits<float>::infinity(), "+Infinity"},
        {-std::numeric_limits<float>::infinity(), "-Infinity"},
        {std::numeric_limits<float>::quiet_NaN(), "NaN"},
        {-std::numeric_limits<float>::quiet_NaN(), "NaN"},
        {std::numeric_limits<float>::max(), "340282346638528859811704183484516925440"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatReal(c.value), c.text) << c.text;
}

// The C library's "%.10f" is the reference; only exact ties at the eleventh decimal may differ.
TEST(FormatReal, AgreesWithPrintfOnRandomValues) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<std::uint32_t> bits;
    std::uniform_int_distribution<int> decimals(0, 4);
    int compared = 0;
    for (int i = 0; i < 200000; ++i) {
        float value;
        if (i % 2 == 0) {
            const std::uint32_t b = bits(random);
            std::memcpy(&value, &b, sizeof value);
            if (!std::isfinite(value)) continue;
        } else {  // values with a few decimals, as operators type them
            value = StoreReal(
                static_cast<double>(static_cast<std::int32_t>(bits(random) % 2000001) - 1000000) /
                std::pow(10.0, decimals(random)));
        }
        const double wide = value;
        const double scaled = wide * 1e10;  // a tie has an exact half at the eleventh decimal
        if (std::fabs(wide) < 1e6 && scaled - std::floor(scaled) == 0.5) continue;
        char reference[400];
        std::snprintf(reference, sizeof reference, "%.10f", wide == 0.0 ? 0.0 : wide);
        std::string expected = reference;
        while (expected.back() == '0')
            expected.pop_back();
        if (expected.back() == '.') expected.pop_back();
        ASSERT_EQ(FormatReal(value), expected) << "bits of " << reference;
        ++compared;
    }
    EXPECT_GT(compared, 150000);
}

TEST(ParseReal, Examples) {
    const struct {
        const char* text;
        float value;
    } cases[] = {
        {"2.5", 2.5f},
        {"  2.5", 2.5f},
        {"2,5", 2.0f},
        {"1.5.3", 1.5f},
        {".5", 0.5f},
        {"1e2", 100.0f},
        {"12abc", 12.0f},
        {"abc", 0.0f},
        {"", 0.0f},
        {"Infinity", 0.0f},
        {" +Infinity", 0.0f},
        {"-NaN", 0.0f},
        {"0x10", 0.0f},
        {"-7", -7.0f},
        {"+3", 3.0f},
        {"5.", 5.0f},
        {"1e", 1.0f},
        {"1e+", 1.0f},
        {"2E-1", 0.2f},
        {"+-3", 0.0f},
        {".", 0.0f},
        {"-.25x", -0.25f},
        {"12.7", 12.7f},
        {"1e39", std::numeric_limits<float>::infinity()},
        {"-1e39", -std::numeric_limits<float>::infinity()},
        {"1e-50", 0.0f},
        {"0.00000000000000000000000000000000000000000000000001", 0.0f},
        {"99999999999999999999999999999999999999999999999999",
         std::numeric_limits<float>::infinity()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseReal(c.text), c.value) << '"' << c.text << '"';

    EXPECT_EQ(ParseReal("+INFINITY"), std::numeric_limits<float>::infinity());
    EXPECT_EQ(ParseReal("-infinity"), -std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isnan(ParseReal("nan")));
    EXPECT_TRUE(std::signbit(ParseReal("-0")));
}

TEST(ParseReal, AgreesWithStrtofOnGeneratedTexts) {
    std::mt19937 random(777);
    std::uniform_int_distribution<int> digitCount(1, 12);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> coin(0, 3);
    std::uniform_int_distribution<int> exponent(-45, 40);
    for (int i = 0; i < 100000; ++i) {
        std::string text;
        if (coin(random) == 0) text += ' ';
        if (coin(random) == 0) text += coin(random) < 2 ? '-' : '+';
        for (int n = digitCount(random); n > 0; --n)
            text += static_cast<char>('0' + digit(random));
        if (coin(random) != 0) {
            text += '.';
            for (int n = digitCount(random); n > 0; --n)
                text += static_cast<char>('0' + digit(random));
        }
        if (coin(random) == 0) {
            text += 'e';
            text += std::to_string(exponent(random));
        }
        const float expected = std::strtof(text.c_str(), nullptr);
        const float actual = ParseReal(text + "x");
        ASSERT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0)
            << '"' << text << "\" gives " << actual << ", strtof " << expected;
    }
}

TEST(ParseInteger, Examples) {
    const struct {
        const char* text;
        std::int64_t value;
    } cases[] = {
        {"42", 42},
        {" \t-42", -42},
        {"+7", 7},
        {"2.9", 2},
        {"1e3", 1},
        {"12abc", 12},
        {"- 5", 0},
        {"+-3", 0},
        {"abc", 0},
        {"$", 0},
        {"", 0},
        {"$1F", 31},
        {"$1f", 31},
        {"-$10", -16},
        {"%101", 5},
        {"%2", 0},
        {"0x1F", 0},
        {"\n5", 0},
        {"18446744073709551617", 1},
        {"9223372036854775808", kMin64},
        {"-$g", 0},
        {"$FFFFFFFFFFFFFFFF", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseInteger(c.text), c.value) << '"' << c.text << '"';
}

TEST(ParseInteger, WrapsLikeUnsignedArithmetic) {
    std::mt19937_64 random(99);
    std::uniform_int_distribution<int> length(1, 40);
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        std::uint64_t expected = 0;
        for (int n = length(random); n > 0; --n) {
            const int d = static_cast<int>(random() % 10);
            text += static_cast<char>('0' + d);
            expected = expected * 10 + static_cast<std::uint64_t>(d);
        }
        const bool negative = random() % 2 == 0;
        if (negative) expected = 0 - expected;
        if (negative) text.insert(text.begin(), '-');
        ASSERT_EQ(ParseInteger(text), static_cast<std::int64_t>(expected)) << text;
    }
}

TEST(RoundToInteger, Examples) {
    using W = IntegerWidth;
    EXPECT_EQ(RoundToInteger(2.5, W::Bits64), 2);
    EXPECT_EQ(RoundToInteger(3.5, W::Bits64), 4);
    EXPECT_EQ(RoundToInteger(-2.5, W::Bits64), -2);
    EXPECT_EQ(RoundToInteger(-0.5, W::Bits64), 0);
    EXPECT_EQ(RoundToInteger(static_cast<float>(51.4285697937), W::Bits64), 51);
    EXPECT_EQ(RoundToInteger(static_cast<float>(102.8571395874), W::Bits64), 103);
    EXPECT_EQ(RoundToInteger(ParseReal("NaN"), W::Bits64), kMin64);
    EXPECT_EQ(FormatInteger(RoundToInteger(ParseReal("NaN"), W::Bits64)), "-9223372036854775808");
    EXPECT_EQ(RoundToInteger(std::numeric_limits<double>::infinity(), W::Bits32), kMin32);
    EXPECT_EQ(RoundToInteger(2147483647.4, W::Bits32), 2147483647);
    EXPECT_EQ(RoundToInteger(2147483647.5, W::Bits32), kMin32);
    EXPECT_EQ(RoundToInteger(-2147483648.5, W::Bits32), kMin32);
    EXPECT_EQ(RoundToInteger(-2147483647.5, W::Bits32), -2147483648LL);
    EXPECT_EQ(RoundToInteger(9223372036854775808.0, W::Bits64), kMin64);
    EXPECT_EQ(RoundToInteger(9223372036854774784.0, W::Bits64), 9223372036854774784LL);
    EXPECT_EQ(RoundToInteger(4503599627370497.0, W::Bits64), 4503599627370497LL);
    EXPECT_EQ(RoundToInteger(0.49999999999999994, W::Bits64), 0);
}

TEST(RoundToInteger, AgreesWithNearbyint) {
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    std::mt19937_64 random(2024);
    std::uniform_real_distribution<double> wide(-3e9, 3e9);
    std::uniform_int_distribution<int> halves(-20000, 20000);
    for (int i = 0; i < 100000; ++i) {
        const double value = i % 2 == 0 ? wide(random) : halves(random) / 2.0;
        const double nearest = std::nearbyint(value);
        const std::int64_t expected32 = (nearest >= -2147483648.0 && nearest <= 2147483647.0)
                                            ? static_cast<std::int64_t>(nearest)
                                            : kMin32;
        ASSERT_EQ(RoundToInteger(value, IntegerWidth::Bits64), static_cast<std::int64_t>(nearest))
            << value;
        ASSERT_EQ(RoundToInteger(value, IntegerWidth::Bits32), expected32) << value;
    }
}

TEST(NumberRules, IntegerHelpers) {
    EXPECT_EQ(LowBits32(4294967296LL + 5), 5);
    EXPECT_EQ(LowBits32(2147483648LL), kMin32);
    EXPECT_EQ(LowBits32(-1), -1);
    EXPECT_EQ(DivideTruncating(-7, 2), -3);
    EXPECT_EQ(DivideTruncating(7, 0), 0);
    EXPECT_EQ(DivideTruncating(kMin64, -1), kMin64);
    EXPECT_EQ(SingleFmod(7.0f, 3.0f), 1.0f);
    EXPECT_EQ(SingleDegrees(SingleAtan(1.0f)), 45.0f);
}

}  // namespace
}  // namespace tarvel
