// Tool-path text that cannot be used as it stands: every reader says which block and which line,
// and evaluation failures name the equation, the motor and S.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/Error.h"
#include "script/Engine.h"
#include "tests/toolpath/FailureOf.h"
#include "toolpath/TripleStops.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

class PathTextFaults : public ::testing::Test {
  protected:
    clsToolPath tp{std::make_shared<vbs::Engine>()};

    template <typename F>
    static Error Failure(F f) {
        return FailureOf(f);
    }
    static bool Says(const Error& e, const std::string& part) {
        return std::string(e.what()).find(part) != std::string::npos;
    }
};

std::string Drive(const std::string& end, const std::string& points, const std::string& eqs) {
    return "<DRIVE>\r\n\tStartS= 0\r\n\tEndS= " + end + "\r\n\t" + points + "\r\n\t" + eqs +
           "\r\n</DRIVE>\r\n";
}

TEST_F(PathTextFaults, LineEndsOfAnyEditorReadAlike) {
    const std::string crlf = "<LEG>\r\n" + Drive("2", " 1 , 2", "S,3*S") + "</LEG>\r\n";
    std::string lf, mixed;
    bool odd = false;
    for (const char c : crlf) {
        if (c != '\r') lf += c;
        if (c != '\r' || (odd = !odd)) mixed += c;
    }
    const std::string expected = ExpandToTripleStops(tp, crlf);
    EXPECT_EQ(ExpandToTripleStops(tp, lf), expected);
    EXPECT_EQ(ExpandToTripleStops(tp, mixed), expected);
    const auto sublegs = tp.XMLClass().ParseXMLSublegs(lf.substr(lf.find("<DRIVE>")));
    ASSERT_EQ(sublegs.Count(), 1);
    EXPECT_EQ(sublegs(1).EndS, 2);
    EXPECT_EQ(sublegs(1).ParametricEQs(2), "3*S") << "no line end left on the equations";
}

TEST_F(PathTextFaults, BrokenBlocksNameTheirLineInsteadOfReadingAsNothing) {
    struct Case {
        std::string text;
        int line;
        std::string says;
    };
    const Case cases[] = {
        // A block with neither its EndS line nor its closing tag, inside a leg.
        {"<LEG>\r\n<DRIVE>\r\n\tStartS= 0\r\n\t 0\r\n\tS\r\n</LEG>\r\n", 2,
         "\"<DRIVE>\" between the DRIVE blocks has no closing \"</DRIVE>\""},
        // A block left open runs into the next one.
        {"<LEG>\r\n<DRIVE>\r\n\tStartS= 0\r\n\tEndS= 1\r\n\t 0\r\n\tS\r\n" + Drive("1", " 0", "S") +
             "</LEG>",
         7, "inside the DRIVE block of line 2 has no closing"},
        // Its EndS line left out: the points are read as the key line.
        {"\r\n<DRIVE>\r\n\tStartS= 0\r\n\t 0\r\n\tS\r\n\tx\r\n</DRIVE>", 4, "\"EndS=\" missing"},
        {"<LEG>\r\n</DRIVE>\r\n</LEG>", 2, "closes no \"<DRIVE>\""},
        {"<LEG>\r\n" + Drive("1", " 0", "S") + "</LEG>\r\n<LEG>\r\n" + Drive("1", " 0", "S"), 9,
         "has no closing \"</LEG>\""},
        // Script code the path still holds, where a start point belongs.
        {"<LEG>\r\n" + Drive("1", "<EVALCODE>Pose(10, -20)</EVALCODE>", "S,S") + "</LEG>", 5,
         "\"<EVALCODE>\" inside the DRIVE block of line 2 is script code"},
    };
    for (const Case& c : cases) {
        const Error e = Failure([&] { ExpandToTripleStops(tp, c.text); });
        EXPECT_EQ(e.Line(), c.line) << e.what();
        EXPECT_TRUE(Says(e, "ine " + std::to_string(c.line))) << e.what();
        EXPECT_TRUE(Says(e, c.says)) << e.what();
    }
    const Error empty = Failure([&] { ExpandToTripleStops(tp, "<LEG>\r\n</LEG>\r\n"); });
    EXPECT_TRUE(Says(empty, "no DRIVE block")) << empty.what();
}

TEST_F(PathTextFaults, ScriptsRefuseCodeBlocksInsideALeg) {
    const Error e = Failure([&] {
        tp.ExpandScript(
            "<ADDCODE>Function Pose(a, b)\r\nPose = a & \" , \" & b\r\nEnd "
            "Function</ADDCODE>\r\n<LEG>\r\n<DRIVE>\r\n\tStartS= 0\r\n\tEndS= 1\r\n"
            "\t<EVALCODE>Pose(10, -20)</EVALCODE>\r\n\tS,S\r\n</DRIVE>\r\n</LEG>");
    });
    EXPECT_EQ(e.Line(), 8);
    EXPECT_EQ(e.Column(), 2);
    EXPECT_TRUE(Says(e, "Line 8: \"<EVALCODE>\" inside the LEG block of line 4")) << e.what();
    // A code failure names the script line and column it arose at.
    const Error code = Failure([&] { tp.ExpandScript("x\r\n\r\nab<EVALCODE>1 +</EVALCODE>"); });
    EXPECT_EQ(code.Line(), 3);
    EXPECT_GT(code.Column(), 12);
}

TEST_F(PathTextFaults, EquationsWithoutAFiniteValueNameEquationMotorAndS) {
    // 0/0 is the language's overflow; in a motion it is a division by zero.
    for (const double s : {0.0, 2.0}) {
        const Error e = Failure([&] { tp.EvalEq("20*S/0", s); });
        EXPECT_EQ(e.Number(), 11) << e.what();
        EXPECT_TRUE(Says(e, "Division by zero (script error 11) in equation \"20*S/0\""))
            << e.what();
    }
    typToolPathSubLeg leg;
    leg.EndS = 1;
    leg.StartPoints = DoubleArray(1, {0, 0});
    leg.ParametricEQs = StringArray(1, {"S", "20*S/(1-S)"});
    const Error e = Failure([&] { tp.EvalMotorPositions(leg, 1, DoubleArray(1, {0, 0})); });
    EXPECT_EQ(e.Number(), 11);
    EXPECT_TRUE(Says(e, "Motor 2: Division by zero")) << e.what();
    EXPECT_TRUE(Says(e, "at S = 1")) << e.what();
    // Re-timing reaches the end of the subleg and says where the path is.
    const std::string path = "<LEG>\r\n" + Drive("1", " 0 , 0", "S,20*S/(1-S)") + "</LEG>";
    const Error retimed = Failure([&] { ExpandToTripleStops(tp, path); });
    EXPECT_TRUE(Says(retimed, "Motor 2")) << retimed.what();
    EXPECT_EQ(retimed.Line(), 1);
    // A value beyond a double that the language lets through.
    leg.StartPoints = DoubleArray(1, {1e308, 0});
    leg.ParametricEQs = StringArray(1, {"1e308*S", "S"});
    const Error huge = Failure([&] { tp.EvalMotorPositions(leg, 1, DoubleArray(1, {0, 0})); });
    EXPECT_TRUE(Says(huge, "Motor 1: Overflow")) << huge.what();
}

TEST_F(PathTextFaults, RetimingSaysWhatItMadeAndWhichMotorSetTheTime) {
    const std::string path =
        "<LEG>\r\n" + Drive("10", " 0 , 0", "S,S") + "</LEG>\r\n" + Drive("1", " 0 , 0", "S,3*S");
    RetimeSummary plain;
    ExpandToTripleStops(tp, path, &plain);
    EXPECT_EQ(plain.Legs, 2);
    EXPECT_EQ(plain.Pieces, 5) << "a trapezoid and a triangle";
    EXPECT_TRUE(plain.LimitingMotors.empty());
    tp.ParseMotorsProperties("5,5\r\nA,P,1\r\nB,P,2");
    VbArray<typMotorProperties> motors = tp.MotorsProperties();
    motors(2).MaxV = 1;
    tp.MotorsProperties(motors);
    RetimeSummary limited;
    ExpandToTripleStops(tp, path, &limited);
    EXPECT_EQ(limited.LimitingMotors, std::vector<std::int32_t>{2});
    EXPECT_GT(limited.Duration, plain.Duration);
}

}  // namespace
}  // namespace torvane
