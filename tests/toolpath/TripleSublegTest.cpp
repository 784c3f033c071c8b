#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <string>

#include "model/Error.h"
#include "model/NumberText.h"
#include "script/Engine.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

typToolPathSubLeg Subleg(double startS, double endS, DoubleArray startPoints, StringArray eqs) {
    typToolPathSubLeg s;
    s.StartS = startS;
    s.EndS = endS;
    s.StartPoints = std::move(startPoints);
    s.ParametricEQs = std::move(eqs);
    return s;
}

class TripleSublegTest : public ::testing::Test {
  protected:
    clsToolPath tp{std::make_shared<vbs::Engine>()};

    // Motor positions of a piece at its end, as the driver computes them.
    DoubleArray EndOf(const typToolPathSubLeg& piece) {
        return tp.EvalMotorPositions(piece, piece.EndS,
                                     tp.EvalEqs(piece.ParametricEQs, piece.StartS));
    }
    // Motor positions of the input subleg at parameter s.
    DoubleArray At(const typToolPathSubLeg& leg, double s) {
        return tp.EvalMotorPositions(leg, s, tp.EvalEqs(leg.ParametricEQs, leg.StartS));
    }
    ErrorCode FailureCode(const typToolPathSubLeg& leg, double vMax, double aMax) {
        try {
            tp.TripleSubleg(leg, vMax, aMax);
        } catch (const Error& e) {
            return e.Code();
        }
        ADD_FAILURE() << "no error raised";
        return ErrorCode::FileError;
    }
};

TEST_F(TripleSublegTest, TrapezoidOfTheWorkedExample) {
    const typToolPathSubLeg in = Subleg(0, 10, DoubleArray(1, {0}), StringArray(1, {"S"}));
    const typToolPathSubLeg copy = in;
    const VbArray<typToolPathSubLeg> p = tp.TripleSubleg(in, 2, 1);
    EXPECT_EQ(in, copy);
    ASSERT_EQ(p.LBound(), 1);
    ASSERT_EQ(p.UBound(), 3);
    EXPECT_EQ(p(1), Subleg(0, 2, DoubleArray(1, {0}), StringArray(1, {"(.5* 1*t^2+0)"})));
    EXPECT_EQ(p(2), Subleg(0, 3, DoubleArray(1, {2}), StringArray(1, {"( 2*t+ 2)"})));
    EXPECT_EQ(p(3), Subleg(0, 2, DoubleArray(1, {8}), StringArray(1, {"( 2*t-.5* 1*t^2+ 8)"})));
    EXPECT_EQ(EndOf(p(3)), DoubleArray(1, {10}));
}

TEST_F(TripleSublegTest, ShortDistancesGiveTheTriangle) {
    VbArray<typToolPathSubLeg> p =
        tp.TripleSubleg(Subleg(0, 2, DoubleArray(1, {0}), StringArray(1, {"S"})), 2, 1);
    ASSERT_EQ(p.UBound(), 2);
    EXPECT_EQ(NumberText(p(1).EndS), " 1.4142135623731");
    EXPECT_EQ(p(2).EndS, p(1).EndS);
    // The midpoint as the engine reads it: the duration goes into "t" with 15 digits, so the
    // second piece starts at 1 to within what those digits carry.
    ASSERT_EQ(p(2).StartPoints.UBound(), 1);
    EXPECT_NEAR(p(2).StartPoints(1), 1, 1e-13);
    EXPECT_EQ(p(2).ParametricEQs, StringArray(1, {"( 1.4142135623731*t-.5* 1*t^2+ 1)"}));
    EXPECT_NEAR(EndOf(p(2))(1), 2, 1e-12);

    // SD equal to SA: exactly the distance acceleration and deceleration need, no zero cruise.
    p = tp.TripleSubleg(Subleg(0, 4, DoubleArray(1, {0}), StringArray(1, {"S"})), 2, 1);
    ASSERT_EQ(p.UBound(), 2);
    EXPECT_EQ(p(1).EndS, 2);
    EXPECT_EQ(p(2).ParametricEQs, StringArray(1, {"( 2*t-.5* 1*t^2+ 2)"}));
    EXPECT_EQ(EndOf(p(2)), DoubleArray(1, {4}));

    // EndS equal to StartS: two pieces of no duration.
    p = tp.TripleSubleg(Subleg(3, 3, DoubleArray(1, {1}), StringArray(1, {"S"})), 2, 1);
    ASSERT_EQ(p.UBound(), 2);
    EXPECT_EQ(p(1).EndS, 0);
    EXPECT_EQ(p(2).EndS, 0);
    EXPECT_EQ(EndOf(p(2)), DoubleArray(1, {1}));
}

TEST_F(TripleSublegTest, OnlyTheStartValueUsesPlainNumberText) {
    const VbArray<typToolPathSubLeg> p = tp.TripleSubleg(
        Subleg(0.5, 40.5, DoubleArray(1, {1, 2}), StringArray(1, {"S*2", "t"})), 4, 0.5);
    // T1 = 8, SA = 16.5, SD = 24.5: a cruise between them.
    ASSERT_EQ(p.UBound(), 3);
    EXPECT_EQ(p(1).ParametricEQs, StringArray(1, {"(.5* .5*t^2+0.5)*2", "t"}));
    EXPECT_EQ(p(2).ParametricEQs, StringArray(1, {"( 4*t+ 16.5)*2", "t"}));
    EXPECT_EQ(p(3).ParametricEQs, StringArray(1, {"( 4*t-.5* .5*t^2+ 24.5)*2", "t"}));
    EXPECT_EQ(p(2).EndS, 2);
    for (const typToolPathSubLeg& piece : p.Items()) EXPECT_EQ(piece.StartS, 0);
    // The "t" motor is not re-timed: it just runs with each piece's own clock.
    EXPECT_EQ(p(2).StartPoints, DoubleArray(1, {33, 2 + p(1).EndS}));
}

TEST_F(TripleSublegTest, BadLimitsAndBackwardSublegsRaiseBeforeAnyPieceIsBuilt) {
    const typToolPathSubLeg leg = Subleg(0, 10, DoubleArray(1, {0}), StringArray(1, {"S"}));
    EXPECT_EQ(FailureCode(leg, 2, 0), ErrorCode::DivisionByZero);
    EXPECT_EQ(FailureCode(leg, 0, 1), ErrorCode::DivisionByZero);
    EXPECT_EQ(FailureCode(leg, 2, -1), ErrorCode::InvalidArgument);
    EXPECT_EQ(FailureCode(leg, -2, 1), ErrorCode::InvalidArgument);
    EXPECT_EQ(FailureCode(Subleg(5, 4, DoubleArray(1, {0}), StringArray(1, {"S"})), 2, 1),
              ErrorCode::InvalidArgument);
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(FailureCode(leg, inf, 1), ErrorCode::InvalidArgument);
    EXPECT_EQ(FailureCode(leg, 2, std::nan("")), ErrorCode::InvalidArgument);
    // A speed limit so small that the cruise would last longer than a double can say.
    EXPECT_EQ(
        FailureCode(Subleg(0, 1e300, DoubleArray(1, {0}), StringArray(1, {"S"})), 1e-300, 1e-300),
        ErrorCode::Overflow);
    // A speed limit of 0 is fine when there is nothing to cross.
    EXPECT_EQ(
        tp.TripleSubleg(Subleg(4, 4, DoubleArray(1, {0}), StringArray(1, {"S"})), 0, 1).UBound(),
        2);
    // Engine errors while chaining the start points fail the whole operation.
    EXPECT_EQ(FailureCode(Subleg(0, 10, DoubleArray(1, {0}), StringArray(1, {"1/(S-2)"})), 2, 1),
              ErrorCode::ScriptError);
    EXPECT_EQ(FailureCode(Subleg(0, 10, DoubleArray(1, {0}), StringArray(1, {"Sqr(S)"})), 2, 1),
              ErrorCode::ScriptError);
}

TEST_F(TripleSublegTest, RandomSublegsJoinAndEndWhereTheInputEnds) {
    std::mt19937_64 rng(6);
    std::uniform_real_distribution<double> uniform(0, 1);
    const char* shapes[] = {"S",          "-.75*S",    "sin(S/3)*4", "(S/5)^2",
                            "cos(S)-S/7", "sqr(S+40)", "exp(S/30)"};
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const int motors = 1 + static_cast<int>(rng() % 3);
        typToolPathSubLeg in;
        in.StartS = std::round((uniform(rng) * 40 - 20) * 1000) / 1000;
        in.EndS = in.StartS + uniform(rng) * (round % 5 == 0 ? 0.5 : 30);
        in.StartPoints = DoubleArray::WithBounds(1, motors);
        in.ParametricEQs = StringArray::WithBounds(1, motors);
        for (int i = 1; i <= motors; ++i) {
            in.StartPoints(i) = uniform(rng) * 100 - 50;
            in.ParametricEQs(i) = shapes[rng() % std::size(shapes)];
        }
        const double vMax = 0.2 + uniform(rng) * 5;
        const double aMax = 0.1 + uniform(rng) * 5;

        const VbArray<typToolPathSubLeg> p = tp.TripleSubleg(in, vMax, aMax);
        // The S values where the pieces meet and end.
        const double t1 = vMax / aMax;
        const double sa = t1 * t1 * aMax / 2 + in.StartS;
        const double sd = in.EndS - (sa - in.StartS);
        std::vector<double> boundaries;
        if (p.UBound() == 3)
            boundaries = {sa, sd, in.EndS};
        else
            boundaries = {(in.StartS + in.EndS) / 2, in.EndS};
        ASSERT_EQ(boundaries.size(), static_cast<std::size_t>(p.UBound()));
        EXPECT_EQ(p(1).StartPoints, in.StartPoints);
        for (std::int32_t k = 1; k <= p.UBound(); ++k) {
            const DoubleArray end = EndOf(p(k));
            const DoubleArray expected = At(in, boundaries[k - 1]);
            for (int i = 1; i <= motors; ++i) {
                EXPECT_NEAR(end(i), expected(i), 1e-9)
                    << "piece " << k << " motor " << i << " " << in.ParametricEQs(i);
                if (k < p.UBound()) {
                    EXPECT_NEAR(end(i), p(k + 1).StartPoints(i), 1e-9);
                }
            }
        }
    }
}

TEST_F(TripleSublegTest, StraightLinesNeverExceedTheLimits) {
    std::mt19937_64 rng(61);
    std::uniform_real_distribution<double> uniform(0, 1);
    for (int round = 0; round < 40; ++round) {
        const double length = 0.1 + uniform(rng) * 20;
        const double vMax = 0.5 + uniform(rng) * 3;
        const double aMax = 0.5 + uniform(rng) * 3;
        const VbArray<typToolPathSubLeg> p = tp.TripleSubleg(
            Subleg(0, length, DoubleArray(1, {0}), StringArray(1, {"S"})), vMax, aMax);
        double previousSpeed = 0;
        double previousDt = 0;
        double total = 0;
        for (const typToolPathSubLeg& piece : p.Items()) {
            const double base = tp.EvalEq(piece.ParametricEQs(1), 0);
            constexpr int kSteps = 50;
            const double dt = piece.EndS / kSteps;
            double last = piece.StartPoints(1);
            for (int k = 1; k <= kSteps && dt > 0; ++k) {
                const double now =
                    piece.StartPoints(1) + tp.EvalEq(piece.ParametricEQs(1), k * dt) - base;
                const double speed = (now - last) / dt;
                ASSERT_LE(speed, vMax * (1 + 1e-9)) << "round " << round;
                ASSERT_GE(speed, -1e-9);
                // Average speeds over neighbouring steps differ by at most AMax times the distance
                // between the steps' midpoints.
                ASSERT_LE(std::fabs(speed - previousSpeed),
                          aMax * (dt + previousDt) / 2 * (1 + 1e-6) + 1e-7)
                    << "round " << round;
                previousSpeed = speed;
                previousDt = dt;
                last = now;
            }
            total += piece.EndS;
        }
        // The trapezoid takes the least time the limits allow.
        const double expected = length >= vMax * vMax / aMax ? length / vMax + vMax / aMax
                                                             : 2 * std::sqrt(length / aMax);
        EXPECT_NEAR(total, expected, 1e-9);
    }
}

}  // namespace
}  // namespace torvane
