// Number text, plain number text and number value: the fixed examples, the reading rules,
// overflow, and a seeded property test over 100,000 doubles of every kind.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "model/Error.h"
#include "model/NumberText.h"

namespace torvane {
namespace {

struct TextCase {
    double value;
    const char* number;
    const char* plain;
};

TEST(NumberText, WritesTheDocumentedForms) {
    const TextCase cases[] = {
        {0.5, " .5", "0.5"},
        {-0.25, "-.25", "-0.25"},
        {0.6, " .6", "0.6"},
        {0, " 0", "0"},
        {7, " 7", "7"},
        {-1234567, "-1234567", "-1234567"},
        {123.456, " 123.456", "123.456"},
        {1e-5, " 1E-05", "1E-05"},
        {-1e-5, "-1E-05", "-1E-05"},
        {1.5e16, " 1.5E+16", "1.5E+16"},
        {1e15, " 1E+15", "1E+15"},
        {123456789012345.0, " 123456789012345", "123456789012345"},
        {0.0001, " .0001", "0.0001"},
        {1.0 / 3, " .333333333333333", "0.333333333333333"},
        {2.0 / 3, " .666666666666667", "0.666666666666667"},
        {-2.5e-100, "-2.5E-100", "-2.5E-100"},
        {1e300, " 1E+300", "1E+300"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NumberText(c.value), c.number) << c.value;
        EXPECT_EQ(PlainNumberText(c.value), c.plain) << c.value;
    }
    EXPECT_EQ(TrimmedNumberText(0.5), ".5");
    EXPECT_EQ(TrimmedNumberText(-3), "-3");
}

TEST(NumberText, RoundsToFifteenSignificantDigits) {
    EXPECT_EQ(NumberText(0.1 + 0.2), " .3");
    EXPECT_EQ(NumberText(999999999999999.9), " 1E+15");
    EXPECT_EQ(NumberText(1.23456789012345678), " 1.23456789012346");
}

TEST(NumberText, ShortFormRoundsToTheDigitsAskedFor) {
    EXPECT_EQ(torvane::ShortNumberText(12.3456789, 6), " 12.3457");
    EXPECT_EQ(torvane::ShortNumberText(-0.000123456789, 6), "-.000123457");
    EXPECT_EQ(torvane::ShortNumberText(999999.7, 6), " 1000000");  // rounding carries over
    EXPECT_EQ(torvane::ShortNumberText(2.5, 6), " 2.5");           // no trailing zeros
    EXPECT_EQ(torvane::ShortNumberText(1.23456789e20, 6), " 1.23457E+20");
    EXPECT_EQ(torvane::ShortNumberText(0.1 + 0.2, 99), torvane::NumberText(0.1 + 0.2));
}

TEST(NumberText, NonFiniteValuesRaiseOverflow) {
    for (const double v :
         {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
          std::numeric_limits<double>::quiet_NaN()}) {
        try {
            NumberText(v);
            FAIL() << "no error for " << v;
        } catch (const Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::Overflow);
        }
        EXPECT_THROW(PlainNumberText(v), Error);
    }
}

TEST(NumberText, LargestDoublesReadBackWithoutOverflow) {
    // Rounding DBL_MAX to 15 digits upwards would give a number beyond every double.
    for (const double v : {DBL_MAX, -DBL_MAX, std::nextafter(DBL_MAX, 0.0)}) {
        const double back = NumberValue(NumberText(v));
        EXPECT_NEAR(back / v, 1.0, 1e-14) << NumberText(v);
        EXPECT_NO_THROW(NumberValue(PlainNumberText(v)));
    }
}

struct ValueCase {
    const char* text;
    double value;
};

TEST(NumberValue, ReadsTheLongestNumericPrefix) {
    const ValueCase cases[] = {
        {" .5", 0.5},        {"-.25", -0.25},   {"0.6", 0.6},     {"1E-05", 1e-5},
        {"1.5E+16", 1.5e16}, {"1 2", 12},       {"1\t2\n3", 123}, {" \t-  4 . 5", -4.5},
        {"+7", 7},           {"12abc", 12},     {"abc", 0},       {"", 0},
        {"   ", 0},          {".", 0},          {"-", 0},         {"1.2.3", 1.2},
        {"1.5D2", 150},      {"1.5d-2", 0.015}, {"2e3", 2000},    {"2E", 2},
        {"3e+", 3},          {"4E 1", 40},      {"5E-x", 5},      {"1,5", 1},
        {"0x10", 0},         {"-0", 0},         {"1e-400", 0},    {"007", 7},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(NumberValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(WholeNumberValue, ReadsOnlyATextThatIsOneNumber) {
    const ValueCase numbers[] = {
        {"2", 2},         {" -1.5 ", -1.5}, {"+3e2", 300}, {".5", 0.5},
        {"-0.25", -0.25}, {"1E-05", 1e-5},  {"7.", 7},     {"1.5E+16", 1.5e16},
    };
    for (const auto& c : numbers) {
        const std::optional<double> value = WholeNumberValue(c.text);
        ASSERT_TRUE(value.has_value()) << '"' << c.text << '"';
        EXPECT_DOUBLE_EQ(*value, c.value) << '"' << c.text << '"';
    }
    // Every text NumberValue reads by a prefix or as 0 is no number here.
    for (const char* text : {"", "   ", "abc", "xyz", "1 5", "12a", "1,5", "-", ".", "+-1", "++1",
                             "1.2.3", "1.5D2", "&H10", "0x10", "1E999", "inf", "nan", "1\t2"})
        EXPECT_FALSE(WholeNumberValue(text).has_value()) << '"' << text << '"';
}

TEST(NumberValue, ReadsHexadecimalAndOctalInTwosComplement) {
    const ValueCase cases[] = {
        {"&HFF", 255},
        {"&hff", 255},
        {"&H7FFF", 32767},
        {"&H8000", -32768},
        {"&HFFFF", -1},
        {"&H10000", 65536},
        {"&H7FFFFFFF", 2147483647.0},
        {"&H80000000", -2147483648.0},
        {"&HFFFFFFFF", -1},
        {"&O17", 15},
        {"&o777", 511},
        {"&O177777", -1},
        {"&O8", 0},
        {"&HG", 0},
        {"&H", 0},
        {"&", 0},
        {"&X12", 0},
        {" & H 1 F", 31},
        {"&H1Fzz", 31},
        {"&O19", 1},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(NumberValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(NumberValue, TooLargeValuesRaiseOverflow) {
    const std::string huge = "1" + std::string(400, '0');
    for (const std::string& text :
         {std::string("1E400"), std::string("-1E309"), std::string("1D999"), huge,
          std::string("&H100000000"), std::string("&O77777777777")}) {
        try {
            NumberValue(text);
            FAIL() << "no error for " << text;
        } catch (const Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::Overflow) << text;
        }
    }
}

// The shape every number text must have: sign (blank or "-"), then either fixed digits
// with at most one period and no leading 0 before it, or one digit, optional period and
// digits, and an exponent "E+dd"/"E-dd" (or three digits); at most 15 significant digits,
// never a trailing 0 after the period.
::testing::AssertionResult FollowsFormat(const std::string& text, bool plain, double value) {
    auto fail = [&](const char* why) {
        return ::testing::AssertionFailure() << '"' << text << "\" for " << value << ": " << why;
    };
    if (text.empty()) return fail("empty");
    std::size_t i = 0;
    if (value < 0) {
        if (text[0] != '-') return fail("negative without '-'");
        i = 1;
    } else if (!plain) {
        if (text[0] != ' ') return fail("no leading blank");
        i = 1;
    }
    const std::string body = text.substr(i);
    const auto e = body.find('E');
    const std::string mantissa = body.substr(0, e);
    if (mantissa.empty()) return fail("no mantissa");
    const auto point = mantissa.find('.');
    if (point != std::string::npos) {
        if (mantissa.find('.', point + 1) != std::string::npos) return fail("two periods");
        if (point + 1 == mantissa.size()) return fail("trailing period");
        if (mantissa.back() == '0') return fail("trailing zero after the period");
    }
    int significant = 0;
    bool leading = true;
    for (const char c : mantissa) {
        if (c == '.') continue;
        if (c < '0' || c > '9') return fail("not a digit");
        if (c != '0') leading = false;
        if (!leading) ++significant;
    }
    if (significant > 15) return fail("more than 15 significant digits");
    if (e == std::string::npos) {
        if (point == 0 && plain) return fail("plain text without 0 before the period");
        if (point == 1 && mantissa[0] == '0' && !plain) return fail("0 before the period");
        if (point != std::string::npos && point > 1 && mantissa[0] == '0')
            return fail("leading zero");
        if (point == std::string::npos && mantissa.size() > 1 && mantissa[0] == '0')
            return fail("leading zero");
    } else {
        if (mantissa[0] < '1' || mantissa[0] > '9') return fail("exponent form not d.ddd");
        if (point != std::string::npos && point != 1) return fail("exponent form not d.ddd");
        const std::string exponent = body.substr(e + 1);
        if (exponent.size() < 3 || exponent.size() > 4) return fail("exponent length");
        if (exponent[0] != '+' && exponent[0] != '-') return fail("exponent sign");
        for (std::size_t k = 1; k < exponent.size(); ++k)
            if (exponent[k] < '0' || exponent[k] > '9') return fail("exponent digits");
        const double magnitude = std::fabs(value);
        if (magnitude >= 1e-4 && magnitude < 1e14)
            return fail("exponent form for a middling value");
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ReadsBack(const std::string& text, double value) {
    const double back = NumberValue(text);
    // 15 significant digits: the error is at most one unit in the 15th digit.
    const double tolerance = std::fabs(value) * 1e-14;
    if (std::fabs(back - value) <= tolerance) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << '"' << text << "\" reads as " << back << ", not " << value;
}

double RandomDouble(std::mt19937_64& rng, int kind) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double sign = (rng() & 1) ? -1.0 : 1.0;
    switch (kind) {
        case 0: {  // integers of every size up to 15 and a few more digits
            const int digits = static_cast<int>(rng() % 18) + 1;
            return sign * std::floor(unit(rng) * std::pow(10.0, digits));
        }
        case 1:  // fractions
            return sign * unit(rng);
        case 2:  // tiny
            return sign * (1 + 9 * unit(rng)) *
                   std::pow(10.0, -5.0 - static_cast<double>(rng() % 300));
        case 3:  // huge
            return sign * (1 + 9 * unit(rng)) *
                   std::pow(10.0, 14.0 + static_cast<double>(rng() % 294));
        case 4: {  // subnormal: exponent bits zero, random fraction
            std::uint64_t bits = (rng() & ((std::uint64_t{1} << 52) - 1)) | 1;
            if (sign < 0) bits |= std::uint64_t{1} << 63;
            double v;
            std::memcpy(&v, &bits, sizeof v);
            return v;
        }
        case 5: {  // any finite double
            for (;;) {
                const std::uint64_t bits = rng();
                double v;
                std::memcpy(&v, &bits, sizeof v);
                if (std::isfinite(v)) return v;
            }
        }
        default:  // values near the switch points and the ends of the range
            return sign * (1 + 9 * unit(rng)) *
                   std::pow(10.0, static_cast<double>(rng() % 40) - 20);
    }
}

TEST(NumberTextProperty, HundredThousandRandomDoublesFollowTheRulesAndReadBack) {
    std::mt19937_64 rng(20261207);
    int failures = 0;
    const double fixed[] = {0.0,      DBL_MAX,          -DBL_MAX, DBL_MIN,
                            -DBL_MIN, DBL_TRUE_MIN,     1e-4,     9.99999999999999e-5,
                            1e14,     99999999999999.9, 0.5,      -0.25};
    auto check = [&](double v) {
        const std::string text = NumberText(v);
        const std::string plain = PlainNumberText(v);
        const bool ok = FollowsFormat(text, false, v) && FollowsFormat(plain, true, v) &&
                        ReadsBack(text, v) && ReadsBack(plain, v);
        // The plain form holds the same digits: only the blank and the 0 before "." differ.
        std::string expectedPlain = text[0] == ' ' ? text.substr(1) : text;
        const std::size_t at = expectedPlain[0] == '-' ? 1 : 0;
        if (expectedPlain[at] == '.') expectedPlain.insert(at, "0");
        if (!ok || plain != expectedPlain) {
            if (++failures <= 10) {
                EXPECT_TRUE(FollowsFormat(text, false, v));
                EXPECT_TRUE(FollowsFormat(plain, true, v));
                EXPECT_TRUE(ReadsBack(text, v));
                EXPECT_TRUE(ReadsBack(plain, v));
                EXPECT_EQ(plain, expectedPlain);
            }
        }
    };
    for (const double v : fixed) check(v);
    for (int n = 0; n < 100000; ++n) check(RandomDouble(rng, n % 7));
    EXPECT_EQ(failures, 0);
}

}  // namespace
}  // namespace torvane
