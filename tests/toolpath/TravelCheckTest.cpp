// The travel a motor must stay within: read from motor lines and written back, and a path checked
// against it exactly, at the true peaks of its pieces rather than at samples.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "model/Error.h"
#include "script/Engine.h"
#include "tests/motorio/MotorTestSupport.h"
#include "toolpath/MotorPropertiesText.h"
#include "toolpath/PathEvaluator.h"
#include "toolpath/PathTravelCheck.h"
#include "toolpath/TripleStops.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

using test::Block;
using test::Leg;

TEST(TravelLines, EightFieldsCarryTheTravelAndEveryMotorLineReadsBackAsWritten) {
    const ParsedMotorProperties p = ParseMotorPropertiesText(
        "5,5\r\nA,arm,1,1,,,-90,90\r\nB,arm,2,0.5,30,60,,12.5\r\nC,arm,3,1,,, -1e-3 ,\r\n"
        "D,arm,4\r\nE,arm,simulated:5,2,,,0,0\r\nF,arm,/dev/ttyUSB0,1,7,,-1,1");
    ASSERT_EQ(p.motors.size(), 6u);
    EXPECT_EQ(p.motors[0].Lower, -90);
    EXPECT_EQ(p.motors[0].Upper, 90);
    EXPECT_EQ(p.motors[0].MaxV, 0) << "empty speed and acceleration fields mean none";
    EXPECT_FALSE(p.motors[1].Lower) << "an empty end is open";
    EXPECT_EQ(p.motors[1].Upper, 12.5);
    EXPECT_EQ(p.motors[1].MaxA, 60);
    EXPECT_EQ(p.motors[2].Lower, -1e-3);
    EXPECT_FALSE(p.motors[2].Upper);
    EXPECT_FALSE(p.motors[3].Lower || p.motors[3].Upper) << "an older line limits nothing";
    EXPECT_EQ(p.motors[4].Lower, 0) << "a travel of one point is a travel";
    EXPECT_EQ(MotorLineText(p.motors[3]), "D,arm,4,1");
    EXPECT_EQ(MotorLineText(p.motors[1]), "B,arm,2,.5,30,60,,12.5");
    for (const typMotorProperties& motor : p.motors) {
        const ParsedMotorProperties back =
            ParseMotorPropertiesText("5,5\r\n" + MotorLineText(motor));
        ASSERT_EQ(back.motors.size(), 1u) << MotorLineText(motor);
        EXPECT_EQ(back.motors[0], motor) << MotorLineText(motor);
    }
}

TEST(TravelLines, ATravelThatCannotBeReadIsRefusedNamingTheMotorAndWhy) {
    const struct {
        const char* line;
        const char* why;
    } cases[] = {
        {"Z,arm,2,1,,,5,1", "its lower limit 5 is above its upper limit 1"},
        {"Z,arm,2,1,,,abc,90", "the lower limit \"abc\" is not a number"},
        {"Z,arm,2,1,,,-90,9O", "the upper limit \"9O\" is not a number"},
        {"Z,arm,2,1,,,-90,1e999", "the upper limit \"1e999\" is not a number"},
        {"Z,arm,2,1,,,-90", "has 7 fields"},
        {"Z,arm,2,1,,,-90,90,5", "has 9 fields"},
    };
    for (const auto& c : cases) {
        std::string message;
        EXPECT_EQ(test::CodeOf(
                      [&] { ParseMotorPropertiesText("5,5\r\nA,arm,1\r\n" + std::string(c.line)); },
                      &message),
                  ErrorCode::InvalidArgument)
            << c.line;
        EXPECT_NE(message.find(c.why), std::string::npos) << message;
        EXPECT_NE(message.find("line 3"), std::string::npos) << message;
    }
    // A list that cannot be read changes nothing in the tool-path object.
    clsToolPath tp{std::make_shared<vbs::Engine>()};
    tp.ParseMotorsProperties("5,5\r\nA,arm,1,1,,,-1,1");
    EXPECT_THROW(tp.ParseMotorsProperties("5,5\r\nA,arm,1,1,,,2,1"), Error);
    EXPECT_EQ(tp.MotorsProperties()(1).Upper, 1);
}

class TravelCheck : public ::testing::Test {
  protected:
    std::shared_ptr<vbs::Engine> engine = std::make_shared<vbs::Engine>();
    PathEvaluator eval{engine};
    clsToolPath tp{engine};

    std::optional<typTravelExcursion> Find(const std::string& text,
                                           const std::vector<typMotorRange>& ranges) {
        return FindTravelExcursion(eval, ReadToolPathPieces(clsXML(), text), ranges);
    }
};

TEST_F(TravelCheck, APeakBetweenSamplesIsFoundAtItsTrueHeightAndOneJustInsideIsNot) {
    // A narrow parabola peaking at S = 0.3141592, far from any sample, and a travel that ends
    // 1e-7 below its peak: the samples around it lie 1e-4 lower, so sampling alone passes it.
    // (Positions run from the start point: the equation is 0 at StartS.)
    const std::string eq = "100*.3141592^2-100*(S-.3141592)^2";
    const double peak = 100 * 0.3141592 * 0.3141592;
    const std::string path = Leg(Block(0, 1, " 0 ", eq));
    const auto found = Find(path, {{std::nullopt, peak - 1e-7}});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Motor, 1);
    EXPECT_NEAR(found->FarthestAt, 0.3141592, 1e-6);
    EXPECT_NEAR(found->Farthest, peak, 1e-12);
    // It leaves where the parabola crosses the limit, just before its peak.
    EXPECT_NEAR(found->LeavesAt, 0.3141592 - std::sqrt(1e-9), 1e-9);
    EXPECT_GT(found->Value, peak - 1e-7);
    EXPECT_FALSE(Find(path, {{std::nullopt, peak}})) << "the peak on the limit is within";
    EXPECT_FALSE(Find(path, {{std::nullopt, std::nullopt}})) << "an open travel is never left";
}

TEST_F(TravelCheck, ACubicKeepsItsExactPeakWhenReTimed) {
    // S^3 - 3S^2 + 2S peaks at 2/(3 sqrt 3) and dips to minus that; re-timing composes it with
    // the quadratic S(t) of each trapezoid piece, a polynomial of degree six in time.
    const double peak = 2 / (3 * std::sqrt(3.0));
    const std::string path = Leg(Block(0, 2, " 0 , 1 ", "S^3-3*S^2+2*S,0*S"));
    const std::string retimed = ExpandToTripleStops(tp, path);
    for (const std::string& text : {path, retimed}) {
        const auto above = Find(text, {{-1, peak - 1e-8}});
        ASSERT_TRUE(above) << text;
        EXPECT_NEAR(above->Farthest, peak, 1e-13) << text;
        const auto below = Find(text, {{-peak + 1e-8, 1}});
        ASSERT_TRUE(below) << text;
        EXPECT_NEAR(below->Farthest, -peak, 1e-13) << text;
        EXPECT_FALSE(Find(text, {{-peak, peak}, {1, 1}})) << text;
    }
}

TEST_F(TravelCheck, TheFirstPlaceLeftIsNamedWithTheMotorItsSAndValue) {
    // The first piece stays inside; in the second, motor 2 leaves at S = 1.5 and motor 1 only at
    // S = 1.8; motor 3 has no travel limits and the path's motor 4 none listed.
    const std::string path = Leg(Block(0, 1, " 0 , 0 , 0 , 0 ", "10*S,10*S,1E6*S,1E6*S")) +
                             Leg(Block(1, 2, " 10 , 10 , 0 , 0 ", "50*S,-100*S,S,S"));
    const std::vector<typMotorRange> ranges{{-100, 50}, {-40, 100}, {}};
    const auto found = Find(path, ranges);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Motor, 2);
    EXPECT_NEAR(found->LeavesAt, 1.5, 1e-14);
    EXPECT_NEAR(found->Value, -40, 1e-12);
    EXPECT_EQ(found->FarthestAt, 2);
    EXPECT_DOUBLE_EQ(found->Farthest, -90);
    EXPECT_EQ(found->Line, 9u) << "the second LEG opens on line 9";

    std::string message;
    int line = 0;
    try {
        tp.CheckTravel(path, ranges, {"Shoulder", "Elbow"});
        ADD_FAILURE() << "the path leaves the travel of Elbow";
    } catch (const Error& e) {
        message = e.what();
        line = e.Line();
    }
    EXPECT_EQ(line, 9);
    for (const char* part : {"motor \"Elbow\"", "(-40 to 100)", "leaves at S = 1.5, at -40",
                             "-90 at S = 2", "LEG block of line 9"})
        EXPECT_NE(message.find(part), std::string::npos) << part << " in " << message;

    // A motor already outside where its piece starts leaves there.
    const auto atStart = Find(Block(3, 4, " 200 ", "-S"), {{-100, 100}});
    ASSERT_TRUE(atStart);
    EXPECT_EQ(atStart->LeavesAt, 3);
    EXPECT_EQ(atStart->Value, 200);
    EXPECT_NO_THROW(tp.CheckTravel(path, {{-100, 60}, {-100, 100}}, {}));

    // A re-timed path that ends on a limit ends there, its rounding aside.
    const std::string onLimit = ExpandToTripleStops(tp, Leg(Block(0, 1, " 0 , 0 ", "45*S,-.3*S")));
    EXPECT_FALSE(Find(onLimit, {{0, 45}, {-0.3, 0}}));
}

}  // namespace
}  // namespace torvane
