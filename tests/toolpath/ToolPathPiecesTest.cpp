// The one reader of a tool path's pieces, the trapezoid arithmetic of re-timing without the script
// engine, line numbers of long scripts, and the stop that reaches every evaluation.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>

#include "model/Error.h"
#include "model/NumberText.h"
#include "script/Engine.h"
#include "toolpath/MotionSamples.h"
#include "toolpath/StopTokenScope.h"
#include "toolpath/ToolPathPieces.h"
#include "toolpath/TrapezoidProfile.h"
#include "toolpath/TripleStops.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

std::string Block(double startS, double endS, const std::string& points, const std::string& eqs) {
    return "<DRIVE>\r\n\tStartS= " + NumberText(startS) + "\r\n\tEndS= " + NumberText(endS) +
           "\r\n\t" + points + "\r\n\t" + eqs + "\r\n</DRIVE>\r\n";
}

TEST(ToolPathPieces, KindsSublegsIndicesAndLinesInTextOrder) {
    const std::string text = "junk\r\n<LEG>\r\n" + Block(0, 1, " 0 , 0", "S,S") +
                             Block(1, 2, " 1 , 1 , 1", "S,S,S") + "</LEG>\r\n<WAIT></WAIT>" +
                             "<LEG></LEG>" + Block(0, 3, " 5", "2*S") + "<LEG>no blocks</LEG>";
    const clsXML xml;
    const std::vector<typToolPathPiece> pieces = ReadToolPathPieces(xml, text);
    ASSERT_EQ(pieces.size(), 4u) << "the empty leg is left out";
    EXPECT_EQ(pieces[0].Kind, PieceKind::Leg);
    EXPECT_EQ(pieces[0].Sublegs.Count(), 2);
    EXPECT_EQ(pieces[0].Sublegs(2).EndS, 2);
    EXPECT_EQ(pieces[0].Index, 2) << "the untagged text before it is piece 1";
    EXPECT_EQ(pieces[0].Line, 2u);
    EXPECT_EQ(pieces[1].Kind, PieceKind::Wait);
    EXPECT_FALSE(pieces[1].Drives());
    EXPECT_EQ(pieces[1].Sublegs.Count(), 0);
    EXPECT_EQ(pieces[1].Line, 16u);
    EXPECT_EQ(pieces[2].Kind, PieceKind::Drive);
    EXPECT_EQ(pieces[2].Sublegs(1).StartPoints, DoubleArray(1, {5}));
    EXPECT_EQ(pieces[2].Line, 16u);
    EXPECT_EQ(pieces[3].Sublegs.Count(), 0) << "a leg without DRIVE blocks still stands";
    EXPECT_EQ(MotorCountOf(pieces), 3);
    EXPECT_EQ(MotorCountOf(typToolPathSubLeg{}), 0);
    EXPECT_TRUE(ReadToolPathPieces(xml, "").empty());
}

TEST(ToolPathPieces, ABadPieceRaisesBeforeAnyIsReturnedButAfterTheVisitsBeforeIt) {
    const std::string text = "<LEG>" + Block(0, 1, " 0", "S") + "</LEG>" +
                             "<LEG><DRIVE>\r\nStartS= 0\r\n</DRIVE></LEG>" + Block(0, 1, " 0", "S");
    const clsXML xml;
    EXPECT_THROW(ReadToolPathPieces(xml, text), Error);
    int visited = 0;
    EXPECT_THROW(ForEachToolPathPiece(xml, text, [&](const typToolPathPiece&) { ++visited; }),
                 Error);
    EXPECT_EQ(visited, 1);
}

// ---- Trapezoid arithmetic ----

TEST(TrapezoidProfile, RandomFeasibleSublegsCoverTheirDistanceWithinTheLimits) {
    std::mt19937 random(20261208);
    std::uniform_real_distribution<double> start(-100, 100), length(0, 200), limit(0.01, 50);
    for (int n = 0; n < 2000; ++n) {
        const double s0 = start(random), s1 = s0 + length(random);
        const double vMax = limit(random), aMax = limit(random);
        const TrapezoidProfile p = PlanTrapezoid(s0, s1, vMax, aMax);
        const double span = s1 - s0;
        double covered = 0, top = 0;
        if (p.Cruises) {
            ASSERT_EQ(p.PieceCount(), 3);
            covered = aMax * p.PieceDuration(0) * p.PieceDuration(0) + vMax * p.PieceDuration(1);
            top = aMax * p.PieceDuration(0);
            EXPECT_DOUBLE_EQ(p.PieceDuration(0), p.PieceDuration(2));
        } else {
            ASSERT_EQ(p.PieceCount(), 2);
            covered = aMax * p.PieceDuration(0) * p.PieceDuration(0);
            top = p.VMid;
            EXPECT_EQ(p.PieceDuration(0), p.PieceDuration(1));
        }
        EXPECT_NEAR(covered, span, 1e-9 * (1 + span)) << s0 << " to " << s1;
        EXPECT_LE(top, vMax * (1 + 1e-12)) << "the peak speed stays within VMax";
        for (int k = 0; k < p.PieceCount(); ++k) EXPECT_GE(p.PieceDuration(k), 0);
    }
}

TEST(TrapezoidProfile, BadNumbersRaiseNamingTheValues) {
    const auto code = [](double s0, double s1, double v, double a) {
        try {
            PlanTrapezoid(s0, s1, v, a);
        } catch (const Error& e) {
            return e.Code();
        }
        return ErrorCode::FileError;
    };
    EXPECT_EQ(code(0, 1, 1, 0), ErrorCode::DivisionByZero);
    EXPECT_EQ(code(0, 1, 0, 1), ErrorCode::DivisionByZero) << "no speed, yet a distance";
    EXPECT_EQ(code(0, 1, -1, 1), ErrorCode::InvalidArgument);
    EXPECT_EQ(code(1, 0, 1, 1), ErrorCode::InvalidArgument);
    EXPECT_EQ(code(0, NAN, 1, 1), ErrorCode::InvalidArgument);
    EXPECT_EQ(code(0, 1e300, 1e-300, 1), ErrorCode::Overflow);
    EXPECT_FALSE(PlanTrapezoid(2, 2, 0, 1).Cruises) << "no distance: nothing to cross";
}

// ---- Long scripts ----

TEST(ToolPathScripts, LineNumbersOfMessagesStayRightAfterThousandsOfLegs) {
    clsToolPath tp{std::make_shared<vbs::Engine>()};
    std::string script;
    constexpr int kLegs = 16000;
    for (int i = 0; i < kLegs; ++i) script += "<LEG>x\r\ny</LEG>\r\n";  // two lines each
    script += "<ADDCODE>\r\nDim a\r\na = 1 +\r\n</ADDCODE>";
    try {
        tp.ExpandScript(script);
        FAIL() << "the syntax error was not raised";
    } catch (const Error& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("at script line " + std::to_string(2 * kLegs + 3)),
                  std::string::npos)
            << message;
        EXPECT_NE(message.find("\"a = 1 +\""), std::string::npos) << message;
    }
    script.resize(script.size() -
                  std::string("<ADDCODE>\r\nDim a\r\na = 1 +\r\n</ADDCODE>").size());
    script += "<EVALCODE>1/0</EVALCODE>";
    try {
        tp.ExpandScript(script);
        FAIL() << "the division by zero was not raised";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("script line " + std::to_string(2 * kLegs + 1)),
                  std::string::npos)
            << e.what();
    }
}

// ---- Stopping ----

class Stopping : public ::testing::Test {
  protected:
    Stopping() { engine->AddCode("Function Hang(x)\r\nDo\r\nLoop\r\nEnd Function"); }
    std::shared_ptr<vbs::Engine> engine = std::make_shared<vbs::Engine>();
    clsToolPath tp{engine};

    // The message of what `work` raised with a stop requested from the engine's poll hook.
    template <typename Work>
    std::string StoppedFromInside(Work work) {
        int polls = 0;
        std::string message;
        {
            StopTokenScope* self = nullptr;
            StopTokenScope stop(tp, [&] {
                if (++polls == 3) self->Stop();
            });
            self = &stop;
            try {
                work();
                ADD_FAILURE() << "the stop raised nothing";
            } catch (const Error& e) {
                EXPECT_EQ(e.Number(), 18) << e.what();
                message = e.what();
            }
        }
        EXPECT_EQ(polls, 3) << "the engine polls no more once stopped";
        return message;
    }
};

TEST_F(Stopping, AnEndlessEquationEndsWithAMessageNamingIt) {
    const std::string eq = "Hang(S)+S";
    EXPECT_NE(StoppedFromInside([&] { tp.EvalEq(eq, 1); }).find("\"Hang(S)+S\""),
              std::string::npos);
    const std::string path = "<LEG>" + Block(0, 1, " 0", "Hang(S)") + "</LEG>";
    EXPECT_NE(StoppedFromInside([&] { ExpandToTripleStops(tp, path); }).find("Hang"),
              std::string::npos)
        << "re-timing";
    EXPECT_NE(StoppedFromInside([&] { SampleToolPath(tp, path); }).find("Hang"), std::string::npos)
        << "sampling";

    // The engine and the tool path work again once the operation is over.
    EXPECT_FALSE(tp.StopToken().stop_possible());
    EXPECT_EQ(tp.EvalEq("S*2", 3), 6);
}

TEST_F(Stopping, AStopBetweenSublegsEndsReTimingAndASourceServesOneOperation) {
    const std::string path = "<LEG>" + Block(0, 1, " 0", "S") + Block(0, 1, " 0", "S") + "</LEG>";
    {
        StopTokenScope stop(tp);
        stop.Stop();
        EXPECT_TRUE(tp.StopToken().stop_requested());
        try {
            ExpandToTripleStops(tp, path);
            FAIL() << "not stopped";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("re-timing"), std::string::npos);
        }
    }
    tp.RequestStop();  // no operation runs: nothing to stop, nothing kept for the next one
    const StopTokenScope next(tp);
    EXPECT_FALSE(next.StopRequested());
    const std::string retimed = ExpandToTripleStops(tp, path);
    EXPECT_NE(retimed.find("<LEG>", retimed.find("<LEG>") + 1), std::string::npos)
        << "both sublegs re-timed";
}

}  // namespace
}  // namespace torvane
