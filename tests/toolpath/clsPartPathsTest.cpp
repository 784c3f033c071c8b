#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "toolpath/TextHelpers.h"
#include "toolpath/clsPartPaths.h"
#include "toolpath/clsXML.h"

namespace torvane {
namespace {

std::string Digits12(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.12g", v);
    return buf;
}

std::string Point12(const DoubleArray& p) {
    return "(" + Digits12(p(1)) + ", " + Digits12(p(2)) + ")";
}

VbArray<typToolPathSubLeg> EllipseSublegs() {
    const clsXML xml;
    return xml.ParseXMLSublegs(clsPartPaths().WriteEllipsoidPart());
}

TEST(WriteEllipsoidPartTest, HoldsTwentyFiveDriveBlocksAndNothingElse) {
    const std::string path = clsPartPaths().WriteEllipsoidPart();
    const VbArray<typXML> pieces = clsXML().SplitXML(path, "LEG,WAIT,DRIVE");
    int drives = 0;
    for (const typXML& p : pieces.Items()) {
        if (p.Tag == "DRIVE")
            ++drives;
        else
            EXPECT_TRUE(p.Tag == "Untagged" && (p.Contents.empty() || p.Contents == "\r\n"))
                << p.Tag << " \"" << p.Contents << "\"";
    }
    EXPECT_EQ(drives, 25);
    EXPECT_EQ(path.find("LEG"), std::string::npos);
    EXPECT_EQ(path.find("WAIT"), std::string::npos);
}

TEST(WriteEllipsoidPartTest, ArcsMatchTheTableToTwelveDigits) {
    struct Row {
        const char* startS;
        const char* pa;
        const char* pb;
        const char* secondEquation;
    };
    const Row table[] = {
        {"6.84719203002", "(-1.08081641155, 1)", "(-1.08081641155, 1)", "- 5*cos(S/ 5)+ 6+-4"},
        {"5.79639740364", "(-1.33393944404, 1)", "(-1.08081641155, 2)", "- 5*cos(S/ 5)+ 6+-3"},
        {"4.63647609001", "(-1.8, 1)", "(-1.08081641155, 3)", "- 5*cos(S/ 5)+ 6+-2"},
        {"3.21750554397", "(-2.6, 1)", "(-1.08081641155, 4)", "- 5*cos(S/ 5)+ 6+-1"},
        {"0", "(-5, 1)", "(-1.08081641155, 5)", "- 5*cos(S/ 5)+ 6+ 0"},
    };
    const VbArray<typToolPathSubLeg> s = EllipseSublegs();
    ASSERT_EQ(s.UBound(), 25);
    for (int pass = 0; pass < 5; ++pass) {
        SCOPED_TRACE("pass " + std::to_string(pass + 1));
        const typToolPathSubLeg& toArc = s(pass * 5 + 2);
        const typToolPathSubLeg& arc = s(pass * 5 + 3);
        const typToolPathSubLeg& fromArc = s(pass * 5 + 4);
        EXPECT_EQ(Digits12(arc.StartS), table[pass].startS);
        EXPECT_EQ(Digits12(arc.EndS), "6.84719203002");
        EXPECT_EQ(Point12(arc.StartPoints), table[pass].pa);
        EXPECT_EQ(Point12(fromArc.StartPoints), table[pass].pb);
        EXPECT_EQ(arc.ParametricEQs,
                  (StringArray(1, {" 4*sin(S/ 5)+-5", table[pass].secondEquation})));
        // The approach line ends where the arc starts.
        const double dx = arc.StartPoints(1) - toArc.StartPoints(1);
        const double dy = arc.StartPoints(2) - toArc.StartPoints(2);
        EXPECT_NEAR(std::hypot(dx, dy), toArc.EndS, 1e-12);
    }
}

TEST(WriteEllipsoidPartTest, EveryPassLeavesAndReturnsThroughTheEntryPoint) {
    const std::string path = clsPartPaths().WriteEllipsoidPart();
    const std::string out =
        "<DRIVE>\r\n\tStartS=  0\r\n\tEndS=  .707106781186548\r\n\t 0 ,  0\r\n"
        "\t-.707106781186547*S, .707106781186547*S\r\n</DRIVE>\r\n";
    const std::string back =
        "<DRIVE>\r\n\tStartS=  0\r\n\tEndS=  .707106781186548\r\n\t-.5 ,  .5\r\n"
        "\t .707106781186547*S,-.707106781186547*S\r\n</DRIVE>\r\n";
    EXPECT_EQ(path.substr(0, out.size()), out);
    EXPECT_EQ(path.substr(path.size() - back.size()), back);

    const VbArray<typToolPathSubLeg> s = EllipseSublegs();
    for (int pass = 0; pass < 5; ++pass) {
        EXPECT_EQ(s(pass * 5 + 1).StartPoints, (DoubleArray(1, {0, 0})));
        EXPECT_EQ(s(pass * 5 + 2).StartPoints, (DoubleArray(1, {-0.5, 0.5})));
        EXPECT_EQ(s(pass * 5 + 5).StartPoints, (DoubleArray(1, {-0.5, 0.5})));
    }
}

TEST(ArcCosTest, KnownValuesAndOutOfRange) {
    const clsPartPaths paths;
    const double pi = std::acos(-1.0);
    EXPECT_NEAR(paths.ArcCos(0.5), pi / 3, 1e-15);
    EXPECT_EQ(paths.ArcCos(1), 0);
    EXPECT_EQ(paths.ArcCos(-1), pi);
    EXPECT_NEAR(paths.ArcCos(0), pi / 2, 1e-15);
    EXPECT_NEAR(paths.ArcCos(-0.2), std::acos(-0.2), 1e-15);

    bool flag = false;
    EXPECT_EQ(paths.ArcCos(0.3, &flag), paths.ArcCos(0.3));
    EXPECT_FALSE(flag);
    EXPECT_EQ(paths.ArcCos(2, &flag), 0);
    EXPECT_TRUE(flag);
    flag = false;
    EXPECT_EQ(paths.ArcCos(-1.5, &flag), 0);
    EXPECT_TRUE(flag);
}

}  // namespace
}  // namespace torvane
