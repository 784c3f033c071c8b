#include "kinematics/IkDescent.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace mechanon {
namespace {

// A search gives up on a seed early (a limit holds it, or it sits in a local minimum); the
// nearest miss is then followed to the end.
constexpr IkDescent::Patience kSearching{50, 5e-3};
constexpr IkDescent::Patience kToTheEnd{400, 1e-9};
constexpr int kSlowSteps = 5;
constexpr double kFirstDamping = 1e-3;
constexpr double kMaxDamping = 1e8;

}  // namespace

IkDescent::IkDescent(const RobotChain::Impl& chain, const IkGoal& goal)
    : chain_(chain), goal_(goal) {
    const auto n = static_cast<Eigen::Index>(chain.Motors.size());
    const double infinity = std::numeric_limits<double>::infinity();
    lower_.setConstant(n, -infinity);
    upper_.setConstant(n, infinity);
    stepCap_.resize(n);
    for (Eigen::Index m = 0; m < n; ++m) {
        const auto& range = chain.Ranges[static_cast<std::size_t>(m)];
        const double scale = chain.NaturalScale[static_cast<std::size_t>(m)];
        if (range.Lower) lower_(m) = *range.Lower * scale;
        if (range.Upper) upper_(m) = *range.Upper * scale;
        // A turn beyond a radian leaves the region where the linear model holds; a shift moves
        // the tip along a line, however long.
        stepCap_(m) = chain.MotorRotational[static_cast<std::size_t>(m)] ? 1.0 : infinity;
    }
}

Eigen::VectorXd IkDescent::Clamped(Eigen::VectorXd values) const {
    return values.cwiseMax(lower_).cwiseMin(upper_);
}

void IkDescent::Measure(Point& point, Scratch& scratch) const {
    scratch.motorValues = point.values;
    for (Eigen::Index m = 0; m < point.values.size(); ++m)
        scratch.motorValues(m) /= chain_.NaturalScale[static_cast<std::size_t>(m)];
    const RigidFrame tip = chain_.TipAndJacobian(scratch.motorValues, scratch.jacobian);
    for (Eigen::Index m = 0; m < scratch.jacobian.cols(); ++m)
        scratch.jacobian.col(m) /= chain_.NaturalScale[static_cast<std::size_t>(m)];
    const Eigen::Vector3d positionError = goal_.Position - tip.Translation;
    point.end.PositionError = positionError.norm();
    if (goal_.Rotation) {
        // The turn that takes the tip's attitude to the goal's, as a rotation vector; weighted by
        // the chain's reach so that a radian counts as much as a reach's length.
        const Eigen::AngleAxisd turn(*goal_.Rotation * tip.Rotation.transpose());
        point.end.AngleError = std::abs(turn.angle());
        point.residual.resize(6);
        point.residual << positionError, chain_.Reach * turn.angle() * turn.axis();
        point.jacobian = scratch.jacobian;
        point.jacobian.bottomRows<3>() *= chain_.Reach;
    } else {
        point.end.AngleError = 0;
        point.residual = positionError;
        point.jacobian = scratch.jacobian.topRows<3>();
    }
    point.end.Cost = point.residual.norm();
    point.end.Values = point.values;
    point.end.Reached =
        point.end.PositionError <= goal_.Tolerance && point.end.AngleError <= goal_.AngleTolerance;
}

// The damped least-squares step for residual r with Jacobian j: the smaller of the two equal
// systems (J J' + l I) y = r, x = J' y, or (J' J + l I) x = J' r.
void IkDescent::DampedStep(const Eigen::MatrixXd& j, const Eigen::VectorXd& r, double lambda,
                           Scratch& scratch) const {
    if (j.cols() >= j.rows()) {
        scratch.normal.noalias() = j * j.transpose();
        scratch.normal.diagonal().array() += lambda;
        scratch.ldlt.compute(scratch.normal);
        scratch.solved = scratch.ldlt.solve(r);
        scratch.step.noalias() = j.transpose() * scratch.solved;
    } else {
        scratch.normal.noalias() = j.transpose() * j;
        scratch.normal.diagonal().array() += lambda;
        scratch.ldlt.compute(scratch.normal);
        scratch.solved.noalias() = j.transpose() * r;
        scratch.step = scratch.ldlt.solve(scratch.solved);
    }
}

void IkDescent::Step(const Point& point, double damping, Scratch& scratch) const {
    const double lambda = damping * chain_.Reach * chain_.Reach;
    DampedStep(point.jacobian, point.residual, lambda, scratch);
    // A motor held at an end of its travel that the step would push further takes no part in
    // the step: the others then make up for it instead of the clamp undoing their share.
    bool holding = false;
    for (int pass = 0; pass < 2; ++pass) {
        bool blocked = false;
        for (Eigen::Index m = 0; m < scratch.step.size(); ++m) {
            const bool pushedOut = (point.values(m) <= lower_(m) && scratch.step(m) < 0) ||
                                   (point.values(m) >= upper_(m) && scratch.step(m) > 0);
            if (!pushedOut) continue;
            if (!holding) scratch.held = point.jacobian;
            holding = true;
            scratch.held.col(m).setZero();
            blocked = true;
        }
        if (!blocked) break;
        DampedStep(scratch.held, point.residual, lambda, scratch);
    }
    // A long step leaves the region where the linear model holds: shorten it as a whole.
    const double over = (scratch.step.cwiseAbs().array() / stepCap_.array()).maxCoeff();
    if (over > 1) scratch.step /= over;
}

IkDescentEnd IkDescent::Run(const Eigen::VectorXd& seed, Clock::time_point deadline) const {
    IkDescentEnd end = Descend(Clamped(seed), deadline, kSearching);
    // Held at an end of its travel, a motor that turns its joints round may find the solution
    // a whole turn away, across the gap between its ends: go on from there once.
    if (!end.Reached && Clock::now() < deadline) {
        const Eigen::VectorXd across = AcrossTheGap(end.Values);
        if (across != end.Values) {
            IkDescentEnd other = Descend(across, deadline, kSearching);
            if (other.Reached || other.Cost < end.Cost) end = std::move(other);
        }
    }
    return end;
}

Eigen::VectorXd IkDescent::AcrossTheGap(Eigen::VectorXd values) const {
    const double turn = 2 * std::numbers::pi;
    for (Eigen::Index m = 0; m < values.size(); ++m) {
        if (!chain_.Periodic[static_cast<std::size_t>(m)]) continue;
        if (values(m) >= upper_(m) && values(m) - turn >= lower_(m) - turn / 2)
            values(m) = std::max(values(m) - turn, lower_(m));
        else if (values(m) <= lower_(m) && values(m) + turn <= upper_(m) + turn / 2)
            values(m) = std::min(values(m) + turn, upper_(m));
    }
    return values;
}

IkDescentEnd IkDescent::Nearest(const Eigen::VectorXd& from) const {
    return Descend(Clamped(from), Clock::time_point::max(), kToTheEnd);
}

IkDescentEnd IkDescent::Descend(const Eigen::VectorXd& from, Clock::time_point deadline,
                                const Patience& patience) const {
    Scratch scratch;
    Point here;
    here.values = from;
    Measure(here, scratch);
    if (here.values.size() == 0) return here.end;
    double damping = kFirstDamping;
    int slowSteps = 0;
    Point trial;
    for (int iteration = 0; iteration < patience.maxIterations && !here.end.Reached; ++iteration) {
        if (Clock::now() > deadline) break;
        Step(here, damping, scratch);
        trial.values = (here.values + scratch.step).cwiseMax(lower_).cwiseMin(upper_);
        Measure(trial, scratch);
        if (trial.end.Cost < here.end.Cost) {
            const bool slow =
                here.end.Cost - trial.end.Cost < patience.slowProgress * here.end.Cost;
            slowSteps = slow ? slowSteps + 1 : 0;
            std::swap(here, trial);
            damping = std::max(damping / 10, 1e-12);
            if (slowSteps >= kSlowSteps) break;
        } else {
            damping *= 10;
            if (damping > kMaxDamping) break;
        }
    }
    return here.end;
}

}  // namespace mechanon
