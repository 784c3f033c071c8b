#pragma once
// One damped least-squares (Levenberg-Marquardt) descent of a chain's tip towards a goal from
// one seed, the motors kept within their travel by clamping every step. The search in SolveIk
// runs it from the start and from random seeds.

#include <Eigen/Cholesky>
#include <chrono>
#include <optional>

#include "kinematics/ChainModel.h"

namespace mechanon {

struct IkGoal {
    Eigen::Vector3d Position;
    std::optional<Eigen::Matrix3d> Rotation;  // none: position only
    double Tolerance = 1e-3;                  // model units
    double AngleTolerance = 1e-3;             // radians
};

// Where a descent ended, in natural units (radians for rotational motors, model units for
// linear ones).
struct IkDescentEnd {
    Eigen::VectorXd Values;
    double PositionError = 0;
    double AngleError = 0;
    double Cost = 0;  // the weighted error the descent lowers
    bool Reached = false;
};

class IkDescent {
  public:
    using Clock = std::chrono::steady_clock;
    // How long a descent goes on: at most maxIterations steps; it has stalled when a few
    // accepted steps in a row each lower the cost by less than slowProgress of it.
    struct Patience {
        int maxIterations;
        double slowProgress;
    };

    IkDescent(const RobotChain::Impl& chain, const IkGoal& goal);

    // The motors' travel in natural units (open ends infinite).
    const Eigen::VectorXd& Lower() const noexcept { return lower_; }
    const Eigen::VectorXd& Upper() const noexcept { return upper_; }
    Eigen::VectorXd Clamped(Eigen::VectorXd values) const;

    // Descends from seed until the goal is reached, the descent stalls or deadline passes.
    IkDescentEnd Run(const Eigen::VectorXd& seed, Clock::time_point deadline) const;
    // Descends from a search's nearest miss until no step brings the tip nearer (a few hundred
    // steps at most, whatever the time).
    IkDescentEnd Nearest(const Eigen::VectorXd& from) const;

  private:
    struct Point {
        Eigen::VectorXd values;
        Eigen::VectorXd residual;
        Eigen::MatrixXd jacobian;  // of the residual's negative, per natural unit
        IkDescentEnd end;
    };
    // Room for the intermediate results of one descent, reused by its steps.
    struct Scratch {
        Eigen::VectorXd motorValues, solved, step;
        Eigen::MatrixXd jacobian, held, normal;
        Eigen::LDLT<Eigen::MatrixXd> ldlt;
    };
    IkDescentEnd Descend(const Eigen::VectorXd& from, Clock::time_point deadline,
                         const Patience& patience) const;
    // values with each periodic motor held at an end of its travel moved a whole turn towards
    // the other end (as far as the travel allows).
    Eigen::VectorXd AcrossTheGap(Eigen::VectorXd values) const;
    void Measure(Point& point, Scratch& scratch) const;
    // The step from point, in scratch.step.
    void Step(const Point& point, double damping, Scratch& scratch) const;
    void DampedStep(const Eigen::MatrixXd& j, const Eigen::VectorXd& r, double lambda,
                    Scratch& scratch) const;

    const RobotChain::Impl& chain_;
    IkGoal goal_;
    Eigen::VectorXd lower_, upper_, stepCap_;
};

}  // namespace mechanon
