// The writers of exported files refuse a number that is not finite, or does not fit the single
// precision of an STL, instead of writing "inf" or "nan".

#include <gtest/gtest.h>

#include <limits>

#include "export/StlFile.h"
#include "export/UrdfRobot.h"
#include "model/Error.h"

namespace mechanon::testing {
namespace {

MeshTriangle TriangleReaching(double x) {
    return {torvane::typ3Point{0, 0, 0}, torvane::typ3Point{x, 0, 0}, torvane::typ3Point{0, 1, 0}};
}

TEST(FiniteOutput, AnStlRefusesCornersBeyondSinglePrecisionAndKeepsTheLargestThatFit) {
    EXPECT_EQ(ReadBinaryStl(BinaryStl({TriangleReaching(3e38)}, "ok"))[0][1].X,
              static_cast<float>(3e38));
    for (const double x : {1e39, 1e308, std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()}) {
        SCOPED_TRACE(x);
        EXPECT_THROW(BinaryStl({TriangleReaching(1), TriangleReaching(x)}, "bad"), torvane::Error);
    }
}

TEST(FiniteOutput, UrdfAndPosesRefuseAFrameThatIsNotFinite) {
    UrdfRobot robot;
    robot.Name = "R";
    UrdfLink link;
    link.Name = "a";
    link.JointName = "a_joint";
    link.JointType = "fixed";
    robot.Links.push_back(link);
    EXPECT_NO_THROW(UrdfText(robot));
    robot.Links[0].ParentFromJoint(0, 3) = std::numeric_limits<double>::infinity();
    robot.Links[0].WorldFromLink(1, 3) = std::numeric_limits<double>::quiet_NaN();
    try {
        UrdfText(robot);
        FAIL() << "a URDF with an infinite origin was written";
    } catch (const torvane::Error& e) {
        EXPECT_EQ(e.Code(), torvane::ErrorCode::Overflow);
        EXPECT_NE(std::string(e.what()).find("not a finite number"), std::string::npos);
    }
    EXPECT_THROW(PosesText(robot), torvane::Error);
}

}  // namespace
}  // namespace mechanon::testing
