// The Variant and its conversions, tested below the language level.

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "script/Coerce.h"
#include "script/Operators.h"
#include "script/ScriptError.h"
#include "script/Value.h"

namespace vbs {
namespace {

TEST(NumberText, ReadsTheForms) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"12", 12},     {" 1.5 ", 1.5}, {"-.25", -0.25}, {"+3", 3},      {"1e3", 1000},
        {"1E-2", 0.01}, {"2d2", 200},   {"&H10", 16},    {"&o17", 15},   {"\t7\t", 7},
        {"- 4", -4},    {"5.", 5},      {"1e-400", 0},   {"&HFFFF", -1},
    };
    for (const Case& c : cases) {
        double v = 0;
        EXPECT_EQ(ParseNumberText(c.text, v), NumberParse::Ok) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
    const char* invalid[] = {"",    " ",  "12abc", "1e",   "1e+", ".", "--1",
                             "1 2", "&H", "&HG",   "0x10", "1,5", "e5"};
    for (const char* text : invalid) {
        double v = 0;
        EXPECT_EQ(ParseNumberText(text, v), NumberParse::Invalid) << text;
    }
    double v = 0;
    EXPECT_EQ(ParseNumberText("1e400", v), NumberParse::Overflow);
}

TEST(NumberText, LiteralSubtypesFollowTheirSize) {
    struct Case {
        const char* text;
        VarType type;
        std::size_t consumed;
    } cases[] = {
        {"32767", VarType::Integer, 5},    {"32768", VarType::Long, 5},
        {"2147483647", VarType::Long, 10}, {"2147483648", VarType::Double, 10},
        {"1.0", VarType::Double, 3},       {"1e2", VarType::Double, 3},
        {"&HFF", VarType::Integer, 4},     {"&H1FFFF", VarType::Long, 7},
        {"7+", VarType::Integer, 1},       {"99999999999999999999", VarType::Double, 20},
    };
    for (const Case& c : cases) {
        std::size_t pos = 0;
        Value v;
        ASSERT_TRUE(ScanNumberLiteral(c.text, pos, v)) << c.text;
        EXPECT_EQ(v.Type(), c.type) << c.text;
        EXPECT_EQ(pos, c.consumed) << c.text;
    }
}

// Literals are read to the nearest double whatever their length or exponent, as from_chars
// reads them: short ones take a shortcut, long ones the general route, and the two must agree.
TEST(NumberText, LiteralsReadToTheNearestDouble) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-40, 40);
    std::uniform_int_distribution<int> precision(0, 20);
    for (int i = 0; i < 200000; ++i) {
        const double d = mantissa(rng) * std::pow(10.0, exponent(rng));
        char buf[64];
        const bool scientific = i % 2 == 0;
        const auto res = std::to_chars(
            buf, buf + sizeof buf, d,
            scientific ? std::chars_format::scientific : std::chars_format::fixed, precision(rng));
        std::string text(buf, res.ptr);
        if (!scientific && text.size() > 40) continue;
        double expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        std::size_t pos = 0;
        Value v;
        ASSERT_TRUE(ScanNumberLiteral(text, pos, v)) << text;
        ASSERT_EQ(pos, text.size()) << text;
        ASSERT_EQ(v.ToDouble(), expected) << text;
        // Inside an expression the literal ends where the digits do, wherever that falls in the
        // bytes read together.
        static const char* kFollowers[] = {"+1", ")*S^2", " ", "x", "\xFA\xFF\x31\x32"};
        const std::string inside = text + kFollowers[i % std::size(kFollowers)];
        pos = 0;
        ASSERT_TRUE(ScanNumberLiteral(inside, pos, v)) << inside;
        ASSERT_EQ(pos, text.size()) << inside;
        ASSERT_EQ(v.ToDouble(), expected) << inside;
    }
}

// The literal of a value's 15-digit text, computed without the text, is what the lexer reads
// from the text: same sign, subtype and bits. Ties at the 15th digit are built on purpose.
TEST(NumberText, FifteenDigitLiteralMatchesTheText) {
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-9, 37);
    std::uniform_int_distribution<std::int64_t> digits(100000000000000, 999999999999999);
    int computed = 0;
    auto check = [&computed](double v) {
        bool negative = false;
        Value literal;
        if (!FifteenDigitLiteral(v, negative, literal)) return;
        ++computed;
        std::string text = FormatFloat(v, 15);
        const bool textNegative = text[0] == '-';
        if (textNegative) text.erase(0, 1);
        std::size_t pos = 0;
        Value expected;
        ASSERT_TRUE(ScanNumberLiteral(text, pos, expected)) << text;
        ASSERT_EQ(negative, textNegative) << text;
        ASSERT_EQ(literal.Type(), expected.Type()) << text;
        ASSERT_EQ(literal.ToDouble(), expected.ToDouble()) << text;
    };
    for (int i = 0; i < 200000; ++i) {
        const double scale = std::pow(10.0, exponent(rng));
        check(mantissa(rng) * scale * (i % 3 == 0 ? -1 : 1));
        // d.dddddddddddddd5 at the 16th digit: a decimal tie, stored just above or below it.
        check((static_cast<double>(digits(rng)) + 0.5) * scale / 1e14);
        check(std::nearbyint(mantissa(rng) * 1e6) * (i % 2 ? 1.0 : 1e-3));
    }
    for (const double v : {0.0, -0.0, 32767.0, 32768.0, -32768.0, 2147483647.0, 2147483648.0,
                           2.9999999999999996, 0.1 + 0.2, 999999999999999.5, 1e15, 1e-8})
        check(v);
    EXPECT_GT(computed, 550000);
}

// The 15-digit rounding done in double arithmetic gives, bit for bit, what reading the text
// gives: on full-precision doubles (whose scaled products are exact half-integers about one time
// in ten), on products just off a half-integer, at and next to every power of ten, and at the
// ends of its range, where it must decline rather than guess.
TEST(NumberText, FifteenDigitMagnitudeReadsAsTheText) {
    int computed = 0;
    auto check = [&computed](double v) {
        double rounded = 0;
        if (!FifteenDigitMagnitude(v, rounded)) return false;
        ++computed;
        double expected = 0;
        const std::string text = FormatFloat(v, 15);
        EXPECT_EQ(ParseNumberText(text, expected), NumberParse::Ok) << text;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(rounded), std::bit_cast<std::uint64_t>(expected))
            << std::hexfloat << v << " reads " << text;
        return true;
    };
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<std::uint64_t> bits(std::bit_cast<std::uint64_t>(0x1p-26),
                                                      std::bit_cast<std::uint64_t>(1e15));
    std::uniform_int_distribution<std::int64_t> digits(100000000000000, 999999999999999);
    std::uniform_int_distribution<int> exponent(-8, 14);
    for (int i = 0; i < 300000; ++i) {
        check(std::bit_cast<double>(bits(rng)));
        // A 16th digit of exactly 5 in decimal, stored a little above or below, and its
        // neighbours: the half-integer case and the ulps around it.
        const double tie =
            (static_cast<double>(digits(rng)) + 0.5) * std::pow(10.0, exponent(rng) - 14);
        check(tie);
        check(std::nextafter(tie, 0.0));
        check(std::nextafter(tie, 1e300));
    }
    for (int e = -8; e <= 15; ++e) {
        const double power = std::pow(10.0, e);
        for (const double v : {power, std::nextafter(power, 0.0), std::nextafter(power, 1e300),
                               power * 9.999999999999995, power * 9.9999999999999995})
            check(v);
    }
    EXPECT_GT(computed, 1150000);
    // Outside the range: zero, subnormals, tiny and huge magnitudes, non-finite values.
    for (const double v :
         {0.0, 4.9e-324, 1e-310, 1e-9, 0x1p-27, 1e15, 1e300,
          std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()})
        EXPECT_FALSE(check(v)) << v;
}

TEST(NumberText, FormatsWithFifteenOrSevenDigits) {
    EXPECT_EQ(FormatFloat(0.1 + 0.2, 15), "0.3");
    EXPECT_EQ(FormatFloat(1e15, 15), "1E+15");
    EXPECT_EQ(FormatFloat(123456789012345.0, 15), "123456789012345");
    EXPECT_EQ(FormatFloat(-1.0 / 3.0, 15), "-0.333333333333333");
    EXPECT_EQ(FormatFloat(1e-5, 15), "0.00001");
    // Small magnitudes stay in fixed notation while leading zeros plus digits fit in 15.
    EXPECT_EQ(FormatFloat(1.25e-10, 15), "0.000000000125");
    EXPECT_EQ(FormatFloat(1.5e-14, 15), "0.000000000000015");
    EXPECT_EQ(FormatFloat(1.5e-15, 15), "1.5E-15");
    EXPECT_EQ(FormatFloat(1.0 / 30.0, 15), "3.33333333333333E-02");
    EXPECT_EQ(FormatFloat(1e100, 15), "1E+100");
    EXPECT_EQ(FormatFloat(-0.0, 15), "0");
    EXPECT_EQ(FormatFloat(static_cast<float>(0.1), 7), "0.1");
    EXPECT_EQ(FormatFloat(1234567.0, 7), "1234567");
    EXPECT_EQ(FormatFloat(12345678.0, 7), "1.234568E+07");
}

TEST(Variant, ConversionsRaiseTheLanguageErrors) {
    auto number = [](auto f) {
        try {
            f();
        } catch (const ScriptError& e) {
            return e.Number();
        }
        return 0;
    };
    EXPECT_EQ(number([] { (void)Value::String("x").ToDouble(); }), 13);
    EXPECT_EQ(number([] { (void)Value::Null().ToDouble(); }), 94);
    EXPECT_EQ(number([] { (void)Value::Null().ToString(); }), 94);
    EXPECT_EQ(number([] { (void)Value::String("maybe").ToBool(); }), 13);
    EXPECT_EQ(number([] { (void)Value::Array(ArrayData::FromList({})).ToString(); }), 13);
    EXPECT_EQ(number([] { (void)ToLongRounded(Value::Double(3e9)); }), 6);
    EXPECT_EQ(Value::String(" 2.5 ").ToDouble(), 2.5);
    EXPECT_EQ(Value::Boolean(true).ToDouble(), -1.0);
    EXPECT_TRUE(Value::String("TRUE").ToBool());
    EXPECT_FALSE(Value::String("0").ToBool());
    EXPECT_EQ(ToLongRounded(Value::Double(2.5)), 2);
    EXPECT_EQ(ToLongRounded(Value::Double(-3.5)), -4);
}

TEST(Variant, ArraysCopyOnWrite) {
    Value a = Value::Array(std::make_shared<ArrayData>(std::vector<std::int32_t>{2}));
    Value b = a;
    a.MutableArray().At(1) = Value::Integer(5);
    EXPECT_TRUE(b.AsArray().At(1).IsEmpty());
    EXPECT_EQ(a.AsArray().At(1).AsInt(), 5);
    ArrayData grid(std::vector<std::int32_t>{1, 2});
    const std::int32_t idx[] = {1, 2};
    EXPECT_EQ(grid.Offset(idx, 2), 5u);
    const std::int32_t bad[] = {2, 0};
    EXPECT_THROW(grid.Offset(bad, 2), ScriptError);
    EXPECT_THROW(grid.Offset(idx, 1), ScriptError);
    EXPECT_THROW(ArrayData(std::vector<std::int32_t>(61, 0)), ScriptError);
}

TEST(Variant, OverflowPromotionKeepsExactValues) {
    const Value big = ApplyBinary(BinaryOp::Mul, Value::Long(2147483647), Value::Long(2147483647));
    EXPECT_EQ(big.Type(), VarType::Double);
    EXPECT_EQ(big.AsDoubleRaw(), 2147483647.0 * 2147483647.0);
    const Value neg = ApplyUnary(UnaryOp::Neg, Value::Long(INT32_MIN));
    EXPECT_EQ(neg.Type(), VarType::Double);
    EXPECT_EQ(neg.AsDoubleRaw(), 2147483648.0);
    const Value single = ApplyBinary(BinaryOp::Add, Value::Single(1.5f), Value::Integer(2));
    EXPECT_EQ(single.Type(), VarType::Single);
    EXPECT_EQ(ApplyBinary(BinaryOp::Add, Value::Single(1.5f), Value::Long(2)).Type(),
              VarType::Double);
    EXPECT_EQ(ApplyBinary(BinaryOp::Mul, Value::Single(3e38f), Value::Single(10.0f)).Type(),
              VarType::Double);
}

// A chain far deeper than the native stack could unwind one frame per level is freed in a loop.
TEST(Variant, AMillionNestedArraysAreFreedWithoutRecursion) {
    Value chain;
    for (int i = 0; i < 1000000; ++i) {
        auto level = std::make_shared<ArrayData>(std::vector<std::int32_t>{0});
        level->At(0) = std::move(chain);  // below the nesting check, as only this test does
        chain = Value::Array(std::move(level));
    }
    Value shared = chain;  // a second holder keeps the whole chain alive
    chain = Value();
    ASSERT_TRUE(shared.IsArray());
    EXPECT_TRUE(shared.AsArray().At(0).IsArray());
    shared = Value();
}

TEST(Variant, NestingDeeperThanTheLimitIsRefused) {
    Value chain;
    for (std::uint32_t i = 1; i <= ArrayData::kMaxNesting; ++i) {
        auto level = std::make_shared<ArrayData>(std::vector<std::int32_t>{0});
        level->Set(0, std::move(chain));
        chain = Value::Array(std::move(level));
    }
    ArrayData top(std::vector<std::int32_t>{1});
    try {
        top.Set(1, chain);
        FAIL() << "no error";
    } catch (const ScriptError& e) {
        EXPECT_EQ(e.Number(), err::kOutOfMemory);
        EXPECT_NE(e.Description().find("nested"), std::string::npos);
    }
    EXPECT_TRUE(top.At(1).IsEmpty());
    EXPECT_THROW(ArrayData::FromList({chain}), ScriptError);
    top.Set(0, chain.AsArray().At(0));  // one level less fits
}

}  // namespace
}  // namespace vbs
