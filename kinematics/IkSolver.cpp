#include "kinematics/IkSolver.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "kinematics/IkDescent.h"
#include "model/Error.h"

namespace mechanon {
namespace {

using Clock = IkDescent::Clock;

// Restarts after the start: the first few near it (a fraction of each travel), then anywhere.
constexpr double kNearSpreads[] = {0.05, 0.15, 0.35};
// Seconds; a longer time limit is taken as this (a clock's count holds no more).
constexpr double kLongestSearch = 3600;
// Solutions from restarts gathered before the nearest of them is taken.
constexpr std::size_t kEnoughSolutions = 8;

Eigen::Matrix3d RotationOfRpy(const std::array<double, 3>& rpy) {
    return (Eigen::AngleAxisd(rpy[2], Eigen::Vector3d::UnitZ()) *
            Eigen::AngleAxisd(rpy[1], Eigen::Vector3d::UnitY()) *
            Eigen::AngleAxisd(rpy[0], Eigen::Vector3d::UnitX()))
        .toRotationMatrix();
}

IkGoal GoalOf(const RobotChain::Impl& chain, const IkTarget& target, const IkOptions& options) {
    IkGoal goal;
    goal.Position = Eigen::Vector3d(target.Position.X, target.Position.Y, target.Position.Z);
    if (target.RollPitchYaw && chain.Motors.size() >= 6)
        goal.Rotation = RotationOfRpy(*target.RollPitchYaw);
    goal.Tolerance = options.Tolerance;
    goal.AngleTolerance = options.AngleTolerance.value_or(options.Tolerance);
    return goal;
}

class Search {
  public:
    Search(const RobotChain::Impl& chain, const IkGoal& goal, const IkOptions& options,
           const Eigen::VectorXd& start)
        : chain_(chain),
          descent_(chain, goal),
          options_(options),
          start_(start),
          random_(options.Seed),
          deadline_(Clock::now() +
                    std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                        std::min(options.TimeLimit, kLongestSearch)))) {
        const auto n = start.size();
        low_.resize(n);
        high_.resize(n);
        for (Eigen::Index m = 0; m < n; ++m) {
            // An open end gives a turn either way, or the chain's reach, around the start.
            const double span =
                chain.MotorRotational[static_cast<std::size_t>(m)] ? std::numbers::pi : chain.Reach;
            low_(m) = std::isfinite(descent_.Lower()(m)) ? descent_.Lower()(m) : start(m) - span;
            high_(m) = std::isfinite(descent_.Upper()(m)) ? descent_.Upper()(m) : start(m) + span;
        }
    }

    // The solution nearest the start that the time allows, or the nearest miss.
    IkDescentEnd Run() {
        IkDescentEnd best = descent_.Run(start_, deadline_);
        if (best.Reached) return best;
        std::optional<IkDescentEnd> nearest;
        for (std::size_t attempt = 0; Clock::now() < deadline_; ++attempt) {
            IkDescentEnd end = descent_.Run(Seed(attempt), deadline_);
            if (end.Reached) {
                end.Values = Unwound(end.Values);
                if (!nearest || Apart(end.Values) < Apart(nearest->Values)) nearest = end;
                if (options_.FirstFound || ++solutions_ >= kEnoughSolutions) break;
            } else if (end.Cost < best.Cost) {
                best = end;
            }
            if (start_.size() == 0) break;
        }
        if (nearest) return *nearest;
        IkDescentEnd polished = descent_.Nearest(best.Values);
        return polished.Cost < best.Cost || polished.Reached ? polished : best;
    }

  private:
    Eigen::VectorXd Seed(std::size_t attempt) {
        Eigen::VectorXd seed(start_.size());
        std::uniform_real_distribution<double> unit(0, 1);
        // Seeds near the start serve only to find a solution near it.
        const std::size_t nearCount = options_.FirstFound ? 0 : std::size(kNearSpreads);
        for (Eigen::Index m = 0; m < seed.size(); ++m) {
            const double width = high_(m) - low_(m);
            if (attempt < nearCount) {
                std::normal_distribution<double> around(start_(m), kNearSpreads[attempt] * width);
                seed(m) = around(random_);
            } else {
                seed(m) = low_(m) + unit(random_) * width;
            }
        }
        return descent_.Clamped(seed);
    }

    // A whole turn of a motor that turns its joints one for one changes nothing but its value:
    // take the value nearest the start that stays within the travel.
    Eigen::VectorXd Unwound(Eigen::VectorXd values) const {
        const double turn = 2 * std::numbers::pi;
        for (Eigen::Index m = 0; m < values.size(); ++m) {
            if (!chain_.Periodic[static_cast<std::size_t>(m)]) continue;
            const double turns = std::round((start_(m) - values(m)) / turn);
            for (double k = turns; k != 0; k -= (k > 0 ? 1 : -1)) {
                const double shifted = values(m) + k * turn;
                if (shifted >= descent_.Lower()(m) && shifted <= descent_.Upper()(m)) {
                    values(m) = shifted;
                    break;
                }
            }
        }
        return values;
    }

    // How far values lie from the start, a reach's length of shift counting as a radian's turn.
    double Apart(const Eigen::VectorXd& values) const {
        double sum = 0;
        for (Eigen::Index m = 0; m < values.size(); ++m) {
            const double weight =
                chain_.MotorRotational[static_cast<std::size_t>(m)] ? 1 : 1 / chain_.Reach;
            sum += std::pow((values(m) - start_(m)) * weight, 2);
        }
        return sum;
    }

    const RobotChain::Impl& chain_;
    IkDescent descent_;
    const IkOptions& options_;
    Eigen::VectorXd start_;
    Eigen::VectorXd low_, high_;
    std::mt19937 random_;
    Clock::time_point deadline_;
    std::size_t solutions_ = 0;
};

bool AllFinite(const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// What cannot be searched for: a target, start or tolerance that is not a finite number.
void RequireSearchable(const IkTarget& target, const std::vector<double>& startTable,
                       const IkOptions& options) {
    const auto refuse = [](const std::string& what) {
        torvane::Raise(torvane::ErrorCode::InvalidArgument, what);
    };
    const auto& p = target.Position;
    if (!AllFinite({p.X, p.Y, p.Z})) refuse("the target's position must be finite numbers");
    if (target.RollPitchYaw && !AllFinite({(*target.RollPitchYaw)[0], (*target.RollPitchYaw)[1],
                                           (*target.RollPitchYaw)[2]}))
        refuse("the target's roll, pitch and yaw must be finite numbers");
    if (!AllFinite(startTable)) refuse("the motors' start positions must be finite numbers");
    const double angle = options.AngleTolerance.value_or(options.Tolerance);
    if (!(options.Tolerance > 0) || !(angle > 0) || !std::isfinite(options.Tolerance) ||
        !std::isfinite(angle))
        refuse("the tolerance must be a positive number");
    if (!(options.TimeLimit >= 0) || !std::isfinite(options.TimeLimit))
        refuse("the time limit must be a number of seconds");
}

}  // namespace

std::array<double, 3> RollPitchYawOf(const torvane::typFrame& f) {
    const double across = std::hypot(f(0, 0), f(1, 0));
    const double pitch = std::atan2(-f(2, 0), across);
    if (across < 1e-12) return {std::atan2(-f(1, 2), f(1, 1)), pitch, 0};
    return {std::atan2(f(2, 1), f(2, 2)), pitch, std::atan2(f(1, 0), f(0, 0))};
}

IkResult SolveIk(const RobotChain& chain, const IkTarget& target,
                 const std::vector<double>& startTable, const IkOptions& options) {
    RequireSearchable(target, startTable, options);
    const RobotChain::Impl& model = chain.Internals();
    Eigen::VectorXd start = model.MotorValues(startTable);
    for (Eigen::Index m = 0; m < start.size(); ++m)
        start(m) *= model.NaturalScale[static_cast<std::size_t>(m)];
    const IkDescentEnd end = Search(model, GoalOf(model, target, options), options, start).Run();
    IkResult result;
    result.Reached = end.Reached;
    if (!end.Reached) {
        result.TablePositions = startTable;
        result.Distance = end.PositionError;
        result.AngleError = end.AngleError;
        return result;
    }
    Eigen::VectorXd values = end.Values;
    for (Eigen::Index m = 0; m < values.size(); ++m)
        values(m) /= model.NaturalScale[static_cast<std::size_t>(m)];
    result.TablePositions = model.TableWith(startTable, values);
    return result;
}

}  // namespace mechanon
