#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "model/Error.h"
#include "motorio/frmMSComms.h"
#include "script/Engine.h"
#include "tests/toolpath/FailureOf.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

class ToolPathTest : public ::testing::Test {
  protected:
    std::shared_ptr<vbs::Engine> engine = std::make_shared<vbs::Engine>();
    clsToolPath tp{engine};

    // Runs f, expects a torvane::Error and returns it.
    template <typename F>
    Error Failure(F f) {
        return FailureOf(f);
    }
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(ToolPathTest, EquationsTakeTheParameterAsSignedNumberText) {
    EXPECT_EQ(tp.EvalEq("2*S+t", 3), 9);
    EXPECT_EQ(tp.EvalEq(" .6*S", 5), 3);
    // "-2^2": exponentiation binds tighter than the inserted sign.
    EXPECT_EQ(tp.EvalEq("S^2", -2), -4);
    EXPECT_EQ(tp.EvalEq("S*S", -2), 4);
    EXPECT_EQ(tp.EvalEq("S", 0.1), 0.1);
    EXPECT_EQ(tp.EvalEq("S-t", 1e-7), 0);
    EXPECT_DOUBLE_EQ(tp.EvalEq("sin(S)+cos(S)", 0.5), std::sin(0.5) + std::cos(0.5));
    EXPECT_EQ(tp.EvalEq("7", 123), 7);
    // The same value whether or not the text has been seen before.
    for (double s : {0.25, -3.5, 0.25, 1e20, 1e-20})
        EXPECT_EQ(tp.EvalEq("S*3+1", s), s * 3 + 1) << s;
}

TEST_F(ToolPathTest, EquationFailuresCarryTheEngineNumberAndTheEquation) {
    Error e = Failure([&] { tp.EvalEq("1/S", 0); });
    EXPECT_EQ(e.Code(), ErrorCode::ScriptError);
    EXPECT_EQ(e.Number(), 11);
    EXPECT_TRUE(Contains(e.what(), "\"1/S\"")) << e.what();
    EXPECT_TRUE(Contains(e.what(), "\"1/ 0\"")) << e.what();

    // A capital S inside a function name is replaced too, which breaks the call.
    e = Failure([&] { tp.EvalEq("Sin(S)", 1); });
    EXPECT_EQ(e.Code(), ErrorCode::ScriptError);
    EXPECT_TRUE(Contains(e.what(), "\"Sin(S)\"")) << e.what();

    e = Failure([&] { tp.EvalEq("\"abc\"", 1); });
    EXPECT_EQ(e.Number(), 13);

    e = Failure([&] { tp.EvalEq("2*(S", 1); });
    EXPECT_EQ(e.Code(), ErrorCode::ScriptError);
    EXPECT_GE(e.Number(), 1000);  // a syntax error

    clsToolPath noEngine(nullptr);
    EXPECT_EQ(Failure([&] { noEngine.EvalEq("S", 1); }).Code(), ErrorCode::MissingObject);
    EXPECT_EQ(Failure([&] { noEngine.ExpandScript("x"); }).Code(), ErrorCode::MissingObject);
}

TEST_F(ToolPathTest, ArraysOfEquations) {
    const DoubleArray v = tp.EvalEqs(StringArray(0, {"1/0", "S", "2*t"}), 4);
    EXPECT_EQ(v, (DoubleArray(1, {4, 8})));  // element 0 is not evaluated
    EXPECT_EQ(tp.ReplaceArray(StringArray(0, {"S+S", "t", ""}), "S", "(x)"),
              (StringArray(0, {"(x)+(x)", "t", ""})));

    typToolPathSubLeg leg;
    leg.StartS = 1;
    leg.EndS = 3;
    leg.StartPoints = DoubleArray(1, {10, -5});
    leg.ParametricEQs = StringArray(1, {"S^2", "-2*S"});
    const DoubleArray start = tp.EvalEqs(leg.ParametricEQs, leg.StartS);
    EXPECT_EQ(tp.EvalMotorPosition(1, leg, 3, start(1)), 10 + 9 - 1);
    EXPECT_EQ(tp.EvalMotorPositions(leg, 3, start), (DoubleArray(1, {18, -9})));
    EXPECT_EQ(Failure([&] { tp.EvalMotorPosition(3, leg, 3, 0); }).Code(),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(tp.VectorDistance(DoubleArray(1, {0, 0, 0}), DoubleArray(1, {3, 4, 0})), 5);
}

TEST_F(ToolPathTest, DefaultsAndTheSharedSplitter) {
    EXPECT_EQ(tp.cVMax, 5);
    EXPECT_EQ(tp.cAMax, 5);
    clsXML& first = tp.XMLClass();
    EXPECT_EQ(&first, &tp.XMLClass());
    EXPECT_EQ(tp.ScriptEval(), engine);

    // Objects made on one port host's engine share it: a script expanded on one serves the
    // equations of the other, and both drive that host's ports.
    const auto ports = std::make_shared<frmMSComms>();
    clsToolPath a{ports->ScriptEngine(), ports};
    clsToolPath b{ports->ScriptEngine(), ports};
    ASSERT_NE(a.ScriptEval(), nullptr);
    EXPECT_EQ(a.ScriptEval(), b.ScriptEval());
    EXPECT_EQ(&a.PortHost(), ports.get());
    EXPECT_EQ(&b.PortHost(), ports.get());
    // Without a host each object has one of its own: nothing is shared behind their backs.
    clsToolPath c{engine};
    EXPECT_NE(&c.PortHost(), &tp.PortHost());
    a.ExpandScript("<ADDCODE>Function Four()\r\nFour = 4\r\nEnd Function</ADDCODE>");
    EXPECT_EQ(b.EvalEq("Four()*S", 2), 8);
}

TEST_F(ToolPathTest, ScriptsWithoutScriptTagsComeBackUnchanged) {
    // The function's name holds neither "S" nor "t", so substituting the parameter leaves it whole.
    engine->AddCode("Function dbl(x)\r\ndbl = 2*x\r\nEnd Function");
    EXPECT_EQ(tp.EvalEq("dbl(S)", 2), 4);
    const std::string plain = "no tags\r\n<DRIVE>\r\n</DRIVE>";
    EXPECT_EQ(tp.ExpandScript(plain), plain);
    // The engine was reset all the same: the function is gone.
    const Error gone = Failure([&] { tp.EvalEq("dbl(S)", 2); });
    EXPECT_EQ(gone.Code(), ErrorCode::ScriptError);
    EXPECT_TRUE(Contains(gone.what(), "\"dbl( 2)\"")) << gone.what();

    // WAIT is no script tag, so its "<" ends tag recognition and the code blocks are copied.
    const std::string waitFirst =
        "<WAIT></WAIT><ADDCODE>Function f()\r\nf = 1\r\nEnd "
        "Function</ADDCODE><EVALCODE>f()</EVALCODE>";
    EXPECT_EQ(tp.ExpandScript(waitFirst), waitFirst);
    EXPECT_EQ(tp.ExpandScript(""), "");
}

TEST_F(ToolPathTest, ScriptBlocksRunInTextOrderAndTheirCodeStays) {
    const std::string script =
        "head\r\n"
        "<LEG>leg one</LEG>\r\n"
        "<ADDCODE>\r\n"
        "Function Legs(n)\r\n"
        "  Dim i, r\r\n"
        "  For i = 1 To n\r\n"
        "    r = r & \"<LEG>\" & i & \"</LEG>\"\r\n"
        "  Next\r\n"
        "  Legs = r\r\n"
        "End Function\r\n"
        "Function Half(x)\r\n"
        "  Half = x / 2\r\n"
        "End Function\r\n"
        "</ADDCODE>"
        "<EVALCODE>Legs(2)</EVALCODE>\r\n"
        "tail";
    EXPECT_EQ(tp.ExpandScript(script),
              "head\r\n<LEG>\r\nleg one\r\n</LEG>\r\n\r\n<LEG>1</LEG><LEG>2</LEG>\r\ntail");
    // The added code serves later equations, on this object and on any object sharing the engine.
    EXPECT_EQ(tp.EvalEq("Half(S)", 3), 1.5);
    clsToolPath other(engine);
    EXPECT_EQ(other.EvalEq("Half(S)+1", 3), 2.5);
}

TEST_F(ToolPathTest, NumericBlockValuesAreAddedToTheTextSoFar) {
    EXPECT_EQ(tp.ExpandScript("12<EVALCODE>5</EVALCODE>x"), "17x");
    EXPECT_EQ(tp.ExpandScript("<EVALCODE>\"a\" & 1</EVALCODE><EVALCODE>\"b\"</EVALCODE>"), "a1b");
    const Error e = Failure([&] { tp.ExpandScript("abc<EVALCODE>5</EVALCODE>"); });
    EXPECT_EQ(e.Code(), ErrorCode::ScriptError);
    EXPECT_EQ(e.Number(), 13);
    EXPECT_TRUE(Contains(e.what(), "EVALCODE")) << e.what();
}

TEST_F(ToolPathTest, ScriptFailuresNameTheBlockAndQuoteTheLine) {
    const std::string script =
        "<ADDCODE>Function Good()\r\nGood = 42\r\nEnd Function</ADDCODE>\r\n"
        "<ADDCODE>\r\n"
        "Function Bad(\r\n"
        "End Function\r\n"
        "</ADDCODE>";
    Error e = Failure([&] { tp.ExpandScript(script); });
    EXPECT_EQ(e.Code(), ErrorCode::ScriptError);
    EXPECT_GE(e.Number(), 1000);
    EXPECT_TRUE(Contains(e.what(), "ADDCODE block at script line 5: \"Function Bad(\""))
        << e.what();
    // Code added before the failing block stays in the engine.
    EXPECT_EQ(tp.EvalEq("Good()", 0), 42);

    e = Failure([&] { tp.ExpandScript("x\r\n<EVALCODE>Good() +</EVALCODE>"); });
    EXPECT_TRUE(Contains(e.what(), "EVALCODE block at script line 2: \"Good() +\"")) << e.what();
    e = Failure([&] { tp.ExpandScript("<EVALCODE>Nope(1)</EVALCODE>"); });
    EXPECT_EQ(e.Code(), ErrorCode::ScriptError);
    EXPECT_TRUE(Contains(e.what(), "EVALCODE")) << e.what();
}

}  // namespace
}  // namespace torvane
