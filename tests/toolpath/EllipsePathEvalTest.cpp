#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "script/Engine.h"
#include "toolpath/clsPartPaths.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

// The generated path, evaluated as the driver evaluates it, is one continuous motion: every block
// ends where the next begins, the last ends at the origin, and every arc lies on its pass's
// ellipse.
TEST(EllipsePathEvalTest, BlocksJoinAndArcsLieOnTheEllipse) {
    clsToolPath tp(std::make_shared<vbs::Engine>());
    const VbArray<typToolPathSubLeg> s =
        tp.XMLClass().ParseXMLSublegs(clsPartPaths().WriteEllipsoidPart());
    ASSERT_EQ(s.UBound(), 25);
    for (std::int32_t k = 1; k <= 25; ++k) {
        SCOPED_TRACE("block " + std::to_string(k));
        const DoubleArray start = tp.EvalEqs(s(k).ParametricEQs, s(k).StartS);
        const DoubleArray end = tp.EvalMotorPositions(s(k), s(k).EndS, start);
        const DoubleArray next = k < 25 ? s(k + 1).StartPoints : DoubleArray(1, {0, 0});
        EXPECT_NEAR(end(1), next(1), 1e-9);
        EXPECT_NEAR(end(2), next(2), 1e-9);
        if (k % 5 != 3) continue;
        const double backup = (k - 3) / 5 - 4;
        for (int step = 0; step <= 10; ++step) {
            const double param = s(k).StartS + (s(k).EndS - s(k).StartS) * step / 10;
            const DoubleArray p = tp.EvalMotorPositions(s(k), param, start);
            const double u = (p(1) - -5) / 4;
            const double v = (p(2) - (6 + backup)) / 5;
            EXPECT_NEAR(u * u + v * v, 1, 1e-12);
            EXPECT_GE(p(1), -5 - 1e-12);  // the side of increasing first coordinate
        }
    }
}

}  // namespace
}  // namespace torvane
