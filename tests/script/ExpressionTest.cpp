// Errors raised by expressions and code blocks: the number, the text and where they arose.

#include <gtest/gtest.h>

#include "ScriptTestSupport.h"

namespace vbs::test {
namespace {

struct ErrorCase {
    const char* code;
    int number;
    int line;
    int column;
};

ScriptError ErrorOf(Engine& engine, const std::string& code, bool expression) {
    try {
        if (expression) {
            engine.Eval(code);
        } else {
            engine.AddCode(code);
        }
    } catch (const ScriptError& e) {
        return e;
    }
    ADD_FAILURE() << "no error from: " << code;
    return ScriptError(0);
}

TEST(ScriptErrors, RunTimeErrorsCarryNumberAndPosition) {
    const ErrorCase cases[] = {
        {"1 + \"abc\"", 13, 1, 3},
        {"2 * 3 / 0", 11, 1, 7},
        {"0 / 0", 6, 1, 3},
        {"Array(1, 2)(2)", 9, 1, 1},
        {"Sqr(-4)", 5, 1, 1},
        {"(-8) ^ 0.5", 5, 1, 6},
        {"0 ^ -1", 11, 1, 3},
        {"Log(0)", 5, 1, 1},
        {"CInt(40000)", 6, 1, 1},
        {"CLng(\"x\")", 13, 1, 1},
        {"CStr(Null)", 94, 1, 1},
        {"Left(\"a\", -1)", 5, 1, 1},
        {"Mid(\"abc\", 0)", 5, 1, 1},
        {"Chr(300)", 5, 1, 1},
        {"UBound(5)", 13, 1, 1},
        {"Space(-1)", 5, 1, 1},
        {"nosuch(1)", 13, 1, 1},
        {"Len()", 450, 1, 1},
        {"CreateObject(\"Scripting.FileSystemObject\")", 429, 1, 1},
        {"GetObject(\"x\")", 429, 1, 1},
        {"Space(2000000000)", 14, 1, 1},
        {"String(100000000, \"x\")", 14, 1, 1},
        {"Exp(1000)", 6, 1, 1},
        {"1E300 * 1E300", 6, 1, 7},
        {"Err.Foo", 438, 1, 4},
        {"x.y", 424, 1, 2},
    };
    for (const ErrorCase& c : cases) {
        Engine engine;
        const ScriptError e = ErrorOf(engine, c.code, true);
        EXPECT_EQ(e.Number(), c.number) << c.code;
        EXPECT_EQ(e.Description().rfind(ErrorText(c.number), 0), 0u)
            << c.code << ": " << e.Description();
        EXPECT_EQ(e.Line(), c.line) << c.code;
        EXPECT_EQ(e.Column(), c.column) << c.code;
    }
}

TEST(ScriptErrors, SyntaxErrorsCarryNumberAndPosition) {
    const ErrorCase cases[] = {
        {"x = 1 +", 1023, 1, 8},
        {"x = (1", 1006, 1, 7},
        {"x = \"abc", 1033, 1, 5},
        {"x = 1 # 2", 1032, 1, 7},
        {"x = 12abc", 1031, 1, 5},
        {"x = 1E+", 1031, 1, 5},
        {"If x Then\nx = 1\n", 1014, 3, 1},
        {"If x\nEnd If", 1017, 1, 5},
        {"For i = 1\nNext", 1013, 1, 10},
        {"For i = 1 To 2\n", 1020, 2, 1},
        {"Do\nx = 1\n", 1019, 3, 1},
        {"While x\n", 1018, 2, 1},
        {"Select x\nEnd Select", 1021, 1, 8},
        {"Function f()\nx = 1\nEnd Sub", 1015, 3, 5},
        {"Sub s()\nEnd Function", 1016, 2, 5},
        {"Exit For", 1039, 1, 6},
        {"Sub s()\nExit Function\nEnd Sub", 1039, 2, 6},
        {"Dim a(n)", 1026, 1, 7},
        {"Const c = 1 + 2", 1025, 1, 13},
        {"Const c = x", 1045, 1, 11},
        {"x = 1\nOption Explicit", 1042, 2, 1},
        {"Dim 5", 1010, 1, 5},
        {"Sub f(a, b)\nEnd Sub\nf(1, 2)", 1044, 3, 1},
        {"Sub f()\nEnd Sub\nSub f()\nEnd Sub", 1041, 3, 5},
        {"Next", 1055, 1, 1},
        {"Loop", 1038, 1, 1},
        {"x = [abc", 1007, 1, 5},
        {"On Error GoTo 1", 1002, 1, 15},
        {"For Each x Of a\nNext", 1046, 1, 12},
        {"For a(1) = 1 To 2\nNext", 1040, 1, 6},
        {"Do While\nLoop", 1023, 1, 9},
        {"x = 1 2", 1025, 1, 7},
        {"+", 1024, 1, 1},
    };
    for (const ErrorCase& c : cases) {
        Engine engine;
        const ScriptError e = ErrorOf(engine, c.code, false);
        EXPECT_EQ(e.Number(), c.number) << c.code;
        EXPECT_EQ(e.Description(), ErrorText(c.number)) << c.code;
        EXPECT_EQ(e.Line(), c.line) << c.code;
        EXPECT_EQ(e.Column(), c.column) << c.code;
    }
}

TEST(ScriptErrors, ErrorsInsideProceduresPointIntoTheirBlock) {
    Engine engine;
    engine.AddCode("Function F(x)\n  F = 10 / x\nEnd Function\n");
    const ScriptError e = ErrorOf(engine, "1 + F(0)", true);
    EXPECT_EQ(e.Number(), 11);
    EXPECT_EQ(e.Line(), 2);
    EXPECT_EQ(e.Column(), 10);
}

TEST(ScriptErrors, UndefinedNamesUnderOptionExplicit) {
    Engine engine;
    const ScriptError e = ErrorOf(engine, "Option Explicit\nDim a\na = 1\nb = 2", false);
    EXPECT_EQ(e.Number(), 500);
    EXPECT_EQ(e.Line(), 4);
    // Without Option Explicit an unknown name is an empty variable.
    EXPECT_EQ(EvalDescribed(engine, "IsEmpty(neverSet)"), "Boolean:True");
}

TEST(ScriptErrors, AssignmentsThatAreNotAllowed) {
    const char* cases[] = {
        "Const c = 1\nc = 2",
        "Sub s()\nConst k = 1\nk = 2\nEnd Sub\ns",
        "vbCrLf = 1",
        "Len = 3",
    };
    for (const char* code : cases) {
        Engine engine;
        EXPECT_EQ(ErrorOf(engine, code, false).Number(), 501) << code;
    }
}

TEST(ScriptErrors, ArrayStatementErrors) {
    struct Case {
        const char* code;
        int number;
    } cases[] = {
        {"Dim a(2)\nReDim a(3)", 10},
        {"ReDim a(2, 2)\nReDim Preserve a(3, 2)", 9},
        {"ReDim a(2)\nReDim Preserve a(2, 2)", 9},
        {"ReDim a(3000000, 3000000)", 7},
        {"ReDim a(-2)", 9},
        {"Dim a()\nx = UBound(a)", 9},
        {"Dim a(1)\nx = a(0, 0)", 9},
        {"x = 5\nx(1) = 2", 13},
        // The subscript's own code turns the array into a number before it is indexed.
        {"Function Shrink()\na = 5\nShrink = 0\nEnd Function\na = Array(1, 2)\nx = a(Shrink())",
         13},
        {"Erase y", 13},
        {"For Each v In Empty\nNext", 451},
        {"Sub s(a)\nEnd Sub\ns 1, 2", 450},
        {"nosuch 1", 35},
        {"Call nosuch(1)", 35},
    };
    for (const Case& c : cases) {
        Engine engine;
        EXPECT_EQ(ErrorOf(engine, c.code, false).Number(), c.number) << c.code;
    }
}

}  // namespace
}  // namespace vbs::test

namespace vbs::test {
namespace {

// Rnd(0) repeats the last value; before any, it gives the generator's value for its seed
// (327680 / 2^24) and draws nothing, so the sequence still starts at its first value.
TEST(ScriptBuiltins, RndZeroBeforeAnyOtherRndGivesTheSeedsValue) {
    Engine engine;
    EXPECT_FLOAT_EQ(static_cast<float>(engine.Eval("Rnd(0)").ToDouble()), 0.01953125f);
    EXPECT_FLOAT_EQ(static_cast<float>(engine.Eval("Rnd(0)").ToDouble()), 0.01953125f);
    EXPECT_FLOAT_EQ(static_cast<float>(engine.Eval("Rnd").ToDouble()), 0.7055475f);
    EXPECT_FLOAT_EQ(static_cast<float>(engine.Eval("Rnd(0)").ToDouble()), 0.7055475f);
    EXPECT_FLOAT_EQ(static_cast<float>(engine.Eval("Rnd").ToDouble()), 0.533424f);
}

// Conversions and text functions at the edges of their ranges.
TEST(ScriptBuiltins, EdgesOfConversionsAndTextSearch) {
    Engine engine;
    const std::pair<const char*, const char*> kValues[] = {
        {"InStr(20, \"abcdef\", \"\", 0)", "0"},  // a start past the end, an empty search text
        {"InStr(3, \"abcdef\", \"\")", "3"},
        {"InStr(7, \"abcdef\", \"\")", "7"},
        {"InStr(\"abc\", \"\")", "1"},
        {"CByte(True)", "255"},
        {"CByte(False)", "0"},
        {"TypeName(CByte(True))", "Byte"},
        {"Not \"#FALSE#\"", "True"},
        {"Not \"true\"", "False"},
        {"Not \"5\"", "-6"},
        {"Asc(ChrW(8364))", "128"},  // the euro sign of the code page
        {"Asc(ChrW(256))", "256"},   // no code in the code page: its own
        {"Asc(\"A\")", "65"},
        {"Asc(Chr(255))", "255"},
    };
    for (const auto& [code, value] : kValues)
        EXPECT_EQ(engine.Eval(code).ToString(), value) << code;
    for (const char* code : {"Chr(-1)", "Chr(256)", "Not \"maybe\""}) {
        try {
            engine.Eval(code);
            ADD_FAILURE() << "no error from " << code;
        } catch (const ScriptError& e) {
            EXPECT_EQ(e.Number(), std::string(code).starts_with("Not") ? 13 : 5) << code;
        }
    }
}

// Every constant the language reference lists, by name and value.
TEST(ScriptBuiltins, EveryListedConstantHasItsValue) {
    const std::pair<const char*, int> kNumbers[] = {
        {"vbEmpty", 0},
        {"vbNull", 1},
        {"vbInteger", 2},
        {"vbLong", 3},
        {"vbSingle", 4},
        {"vbDouble", 5},
        {"vbCurrency", 6},
        {"vbDate", 7},
        {"vbString", 8},
        {"vbObject", 9},
        {"vbError", 10},
        {"vbBoolean", 11},
        {"vbVariant", 12},
        {"vbByte", 17},
        {"vbArray", 8192},
        {"vbBinaryCompare", 0},
        {"vbTextCompare", 1},
        {"vbUseDefault", -2},
        {"vbTrue", -1},
        {"vbFalse", 0},
        {"vbObjectError", static_cast<int>(0x80040000u)},
    };
    Engine engine;
    for (const auto& [name, value] : kNumbers) {
        const Value v = engine.Eval(name);
        EXPECT_TRUE(v.IsIntegral()) << name;
        EXPECT_EQ(v.AsInt(), value) << name;
    }
    const std::pair<const char*, std::string> kTexts[] = {
        {"vbCr", "\r"},        {"vbLf", "\n"},       {"vbCrLf", "\r\n"},
        {"vbNewLine", "\r\n"}, {"vbTab", "\t"},      {"vbNullChar", std::string(1, '\0')},
        {"vbNullString", ""},  {"vbFormFeed", "\f"}, {"vbVerticalTab", "\v"},
    };
    for (const auto& [name, text] : kTexts) EXPECT_EQ(engine.Eval(name).ToString(), text) << name;
}

}  // namespace
}  // namespace vbs::test
