// Motor lines with each motor's own speed and acceleration limits, and re-timing that keeps every
// motor within them while all motors start and end each piece together.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "model/Error.h"
#include "model/NumberText.h"
#include "script/Engine.h"
#include "toolpath/MotionSamples.h"
#include "toolpath/MotorPropertiesText.h"
#include "toolpath/TripleStops.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

std::string Block(double startS, double endS, const std::string& points, const std::string& eqs) {
    return "<DRIVE>\r\n\tStartS= " + NumberText(startS) + "\r\n\tEndS= " + NumberText(endS) +
           "\r\n\t" + points + "\r\n\t" + eqs + "\r\n</DRIVE>\r\n";
}

TEST(MotorLines, SixFieldsCarryTheLimitsAndOlderLinesStillRead) {
    const ParsedMotorProperties p =
        ParseMotorPropertiesText("5,5\r\nX,none,1\r\nY,arm,2,0.5\r\nZ,arm,3,0.2,90,360\r\n\r\n");
    ASSERT_EQ(p.motors.size(), 3u) << "empty lines are no motors";
    EXPECT_EQ(p.motors[0].MaxV, 0);
    EXPECT_EQ(p.motors[1].MaxA, 0);
    EXPECT_EQ(p.motors[1].Scale, 0.5);
    EXPECT_EQ(p.motors[2].Scale, 0.2);
    EXPECT_EQ(p.motors[2].MaxV, 90);
    EXPECT_EQ(p.motors[2].MaxA, 360);
    for (const char* bad :
         {"5,5\r\nZ,arm,3,1,0,1", "5,5\r\nZ,arm,3,1,2,-1", "5,5\r\nZ,arm,3,1,2,1e999"}) {
        try {
            ParseMotorPropertiesText(bad);
            ADD_FAILURE() << bad;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("\"Z\" (line 2)"), std::string::npos) << e.what();
        }
    }
    clsToolPath tp{std::make_shared<vbs::Engine>()};
    typMotorProperties negative;
    negative.Name = "N";
    negative.ComPort = 1;
    negative.MaxA = -1;
    EXPECT_THROW(tp.MotorsProperties(VbArray<typMotorProperties>(1, {negative})), Error);
    EXPECT_EQ(tp.TotalMotors(), 0);
}

TEST(MotorLines, ThePortFieldTakesADevicePath) {
    const ParsedMotorProperties p = ParseMotorPropertiesText(
        "5,5\r\nX,none, /dev/ttyUSB0 \r\nY,none,/dev/serial/by-id/usb-x,0.5\r\nZ,none,1");
    ASSERT_EQ(p.motors.size(), 3u);
    EXPECT_EQ(p.motors[0].Device, "/dev/ttyUSB0");
    EXPECT_EQ(p.motors[0].ComPort, 0);
    EXPECT_EQ(p.motors[1].Device, "/dev/serial/by-id/usb-x");
    EXPECT_EQ(p.motors[1].Scale, 0.5);
    EXPECT_EQ(p.motors[2].ComPort, 1) << "numbers as before";
    try {
        ParseMotorPropertiesText("5,5\r\nX,none,/dev/ttyUSB0\r\nY,none,/dev/ttyUSB0");
        ADD_FAILURE() << "one device, two motors";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("/dev/ttyUSB0 is already the port of motor \"X\""),
                  std::string::npos)
            << e.what();
    }
}

TEST(MotorLines, TheKindBeforeThePortIsReadAndWrittenBackOnlyWhenNotTheDefault) {
    const ParsedMotorProperties p = ParseMotorPropertiesText(
        "5,5\r\nA,none,simulated:1,0.5\r\nB,none, Lines:1 \r\nC,none,1.5\r\nD,none,SIMULATED: "
        "/dev/x,1,2,3\r\nE,none,3");
    ASSERT_EQ(p.motors.size(), 5u);
    EXPECT_EQ(p.motors[0].Kind, DriveKind::Simulated);
    EXPECT_EQ(p.motors[0].ComPort, 1);
    EXPECT_EQ(p.motors[0].Scale, 0.5);
    EXPECT_EQ(p.motors[1].Kind, DriveKind::Lines) << "port 1 of another kind is another port";
    EXPECT_EQ(p.motors[1].ComPort, 1);
    EXPECT_EQ(p.motors[2].ComPort, 2) << "numbers round as before";
    EXPECT_EQ(p.motors[3].Device, "/dev/x");
    EXPECT_EQ(p.motors[3].MaxA, 3);
    EXPECT_EQ(PortFieldText(p.motors[0]), "simulated:1");
    EXPECT_EQ(PortFieldText(p.motors[1]), "1");
    EXPECT_EQ(PortFieldText(p.motors[3]), "simulated:/dev/x");
    EXPECT_EQ(PortFieldText(p.motors[4]), "3");

    // The text is kept as given: a list without kinds reads back byte for byte.
    const std::string older = "5,5\r\nX,none,1\r\nY,arm,2,0.5";
    clsToolPath tp{std::make_shared<vbs::Engine>()};
    tp.MotorsPropertiesString(older);
    tp.ParseMotorsProperties(tp.MotorsPropertiesString());
    EXPECT_EQ(tp.MotorsPropertiesString(), older);
    EXPECT_EQ(tp.MotorsProperties()(2).Kind, DriveKind::Lines);

    for (const char* bad :
         {"5,5\r\nA,none,1\r\nZ,arm,servo:3", "5,5\r\nA,none,1\r\nZ,arm,simulated:0"}) {
        try {
            ParseMotorPropertiesText(bad);
            ADD_FAILURE() << bad;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("\"Z\" (line 3)"), std::string::npos) << e.what();
        }
    }
    try {
        ParseMotorPropertiesText("5,5\r\nZ,arm,servo:3");
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("\"servo\" is no kind of motor"), std::string::npos)
            << e.what();
    }
    EXPECT_THROW(ParseMotorPropertiesText("5,5\r\nA,none,simulated:1\r\nB,none,simulated:1"),
                 Error);
}

class ReTimingWithinMotors : public ::testing::Test {
  protected:
    clsToolPath tp{std::make_shared<vbs::Engine>()};

    // The largest speed and acceleration of motor m over the re-timed path, sampled.
    struct Peaks {
        double speed = 0;
        double acceleration = 0;
    };
    Peaks PeaksOf(const MotionSamples& s, int m) {
        Peaks p;
        const std::vector<double>& v = s.Velocities[static_cast<std::size_t>(m - 1)];
        for (std::size_t k = 0; k < v.size(); ++k) {
            p.speed = std::max(p.speed, std::abs(v[k]));
            const double dt = k > 0 ? s.Times[k] - s.Times[k - 1] : 0;
            if (dt > 1e-9)
                p.acceleration = std::max(p.acceleration, std::abs(v[k] - v[k - 1]) / dt);
        }
        return p;
    }
};

TEST_F(ReTimingWithinMotors, EveryMotorStaysWithinItsOwnLimitsWhenSampled) {
    // X may move 2 units/s at 4 units/s^2, Y 3 and 1; Z has no limits of its own.
    tp.ParseMotorsProperties("50,50\r\nX,none,1,1,2,4\r\nY,none,2,1,3,1\r\nZ,none,3");
    const std::string path = "<LEG>" + Block(0, 3, " 0 , 0 , 0", "10*S,-2*S,S") +
                             Block(0, 6, " 30 , -6 , 3", "3*sin(S),S^2/4,0*S") + "</LEG>" +
                             Block(0, 0.5, " 1 , 1 , 1", "S,S,50*S");
    const MotionSamples s = SampleToolPath(tp, ExpandToTripleStops(tp, path));
    ASSERT_EQ(s.Motors, 3);
    const Peaks x = PeaksOf(s, 1), y = PeaksOf(s, 2);
    EXPECT_LE(x.speed, 2 * 1.001);
    EXPECT_LE(y.speed, 3 * 1.001);
    // Sampled accelerations are differences of differences: a little noise at piece joints.
    EXPECT_LE(x.acceleration, 4 * 1.05);
    EXPECT_LE(y.acceleration, 1 * 1.05);
    EXPECT_GT(x.speed, 2 * 0.9) << "the limiting motor comes close to its limit";

    EXPECT_GT(y.acceleration, 1 * 0.5) << "the bent path is not timed far below Y's limit";
    EXPECT_EQ(s.Spans.size(), 3u + 3u + 2u) << "two cruising blocks and a short triangle";

    // Without limits of its own, re-timing keeps the default limits.
    clsToolPath plain{std::make_shared<vbs::Engine>()};
    plain.ParseMotorsProperties("50,50\r\nX,none,1\r\nY,none,2\r\nZ,none,3");
    const MotionSamples fast = SampleToolPath(plain, ExpandToTripleStops(plain, path));
    EXPECT_GT(PeaksOf(fast, 1).speed, 20) << "10 units per S at up to 50 S/s";
}

}  // namespace
}  // namespace torvane
