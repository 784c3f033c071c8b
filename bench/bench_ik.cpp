// Inverse kinematics on the protocol of the common inverse-kinematics benchmark, beside KDL's
// joint-limited Newton-Raphson solver (ChainIkSolverPos_NR_JL) in the same run and on the same
// targets:
//   - targets: the tip's frame at random motor values within the travel (fixed seed), 10,000
//     per robot;
//   - success: the tip within 1e-5 m of the target (and, where orientation is solved, its
//     attitude within 1e-5 rad), found within 5 ms;
//   - each search starts at the middle of every motor's travel; after that, both solvers restart
//     from random values within the travel until they succeed or the 5 ms are spent. Ours takes
//     the first solution a restart finds (what the protocol times).
// Robots: an arm of six and one of seven revolute joints (URDF written here and imported, with
// the travel of common arms), position and orientation; the five-motor servo arm of the sample
// robots to its gripper frame, position only. KDL solves the whole frame for every robot: it has
// no position-only mode (on the servo arm its targets are still reachable, being made by forward
// kinematics). KDL runs on the same chain in metres and radians.
// Counters per robot: success in percent, mean and 99th-percentile time in microseconds for both
// solvers, and the ratios of our mean time to KDL's and of our failures to KDL's.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <kdl/chainfksolverpos_recursive.hpp>
#include <kdl/chainiksolverpos_nr_jl.hpp>
#include <kdl/chainiksolvervel_pinv.hpp>
#include <numeric>
#include <random>

#include "bench/MedianTime.h"
#include "kinematics/ChainModel.h"
#include "kinematics/IkSolver.h"
#include "tests/kinematics/KinematicsTestSupport.h"

namespace {

using mechanon::RobotChain;
using mechanon::bench::Clock;
using mechanon::bench::SecondsSince;

constexpr double kTolerance = 1e-5;  // metres and radians
constexpr double kTimeLimit = 0.005;
constexpr unsigned kTargetSeed = 2026;

enum class Arm { SixJoints, SevenJoints, ServoArm };

struct Robot {
    std::unique_ptr<mechanon::testing::ImportedRobot> imported;
    std::string tip;
    bool orientation = true;
};

Robot MakeRobot(Arm arm) {
    using namespace mechanon::testing;
    switch (arm) {
        case Arm::SixJoints:
            return {ImportRobotText(SixJointArmUrdf(), 0.01), "tool", true};
        case Arm::SevenJoints:
            return {ImportRobotText(SevenJointArmUrdf(), 0.01), "tool", true};
        case Arm::ServoArm:
            break;
    }
    const std::filesystem::path urdf =
        std::filesystem::path(MECHANON_URDF_SAMPLES) / "so101" / "so101_new_calib.urdf";
    return {ImportRobot(urdf, 0.01), "gripper_frame_link", false};
}

// The chain's motors in natural units (radians, model units) within their travel.
struct Travel {
    Eigen::VectorXd low, high;
    explicit Travel(const RobotChain::Impl& chain) {
        const auto n = static_cast<Eigen::Index>(chain.Motors.size());
        low.resize(n);
        high.resize(n);
        for (Eigen::Index m = 0; m < n; ++m) {
            const auto i = static_cast<std::size_t>(m);
            low(m) = chain.Ranges[i].Lower.value_or(-180) * chain.NaturalScale[i];
            high(m) = chain.Ranges[i].Upper.value_or(180) * chain.NaturalScale[i];
        }
    }
    Eigen::VectorXd Draw(std::mt19937& random) const {
        Eigen::VectorXd v(low.size());
        for (Eigen::Index m = 0; m < v.size(); ++m)
            v(m) = std::uniform_real_distribution<double>(low(m), high(m))(random);
        return v;
    }
    Eigen::VectorXd Middle() const { return (low + high) / 2; }
};

Eigen::VectorXd ToMotorUnits(const RobotChain::Impl& chain, Eigen::VectorXd natural) {
    for (Eigen::Index m = 0; m < natural.size(); ++m)
        natural(m) /= chain.NaturalScale[static_cast<std::size_t>(m)];
    return natural;
}

std::vector<double> Table(const RobotChain::Impl& chain, const Eigen::VectorXd& natural) {
    return chain.TableWith({}, ToMotorUnits(chain, natural));
}

KDL::Frame KdlFrame(const mechanon::RigidFrame& f, double unit) {
    const Eigen::Matrix3d& r = f.Rotation;
    return KDL::Frame(
        KDL::Rotation(r(0, 0), r(0, 1), r(0, 2), r(1, 0), r(1, 1), r(1, 2), r(2, 0), r(2, 1),
                      r(2, 2)),
        KDL::Vector(f.Translation(0) * unit, f.Translation(1) * unit, f.Translation(2) * unit));
}

// The chain for KDL in metres and radians, one KDL joint per motor.
KDL::Chain MetreChain(const RobotChain::Impl& chain, double unit) {
    KDL::Chain out;
    out.addSegment(KDL::Segment(KDL::Joint(KDL::Joint::None), KdlFrame(chain.Base, unit)));
    for (const mechanon::ChainJoint& joint : chain.Joints) {
        const double natural = chain.NaturalScale[joint.Motor];
        mechanon::RigidFrame offset;
        if (joint.Rotational)
            offset.Rotation = Eigen::AngleAxisd(joint.Offset, joint.Axis).toRotationMatrix();
        else
            offset.Translation = joint.Axis * joint.Offset;
        const KDL::Joint kdl(KDL::Vector::Zero(),
                             KDL::Vector(joint.Axis(0), joint.Axis(1), joint.Axis(2)),
                             joint.Rotational ? KDL::Joint::RotAxis : KDL::Joint::TransAxis,
                             joint.Rotational ? joint.Scale / natural : joint.Scale);
        out.addSegment(KDL::Segment(kdl, KdlFrame(offset * joint.After, unit)));
    }
    return out;
}

struct Figures {
    double success = 0;  // percent
    double meanUs = 0;
    double p99Us = 0;
};

Figures FiguresOf(std::vector<double> seconds, std::size_t reached) {
    Figures f;
    f.success = 100.0 * static_cast<double>(reached) / static_cast<double>(seconds.size());
    f.meanUs = 1e6 * std::accumulate(seconds.begin(), seconds.end(), 0.0) /
               static_cast<double>(seconds.size());
    std::sort(seconds.begin(), seconds.end());
    f.p99Us = 1e6 * seconds[seconds.size() * 99 / 100];
    return f;
}

struct Case {
    Robot robot;
    std::unique_ptr<RobotChain> chain;
    std::vector<mechanon::RigidFrame> targets;
};

Case MakeCase(Arm arm, std::size_t count) {
    Case c{MakeRobot(arm), nullptr, {}};
    c.chain = std::make_unique<RobotChain>(*c.robot.imported->room, c.robot.tip);
    const RobotChain::Impl& chain = c.chain->Internals();
    const Travel travel(chain);
    std::mt19937 random(kTargetSeed);
    for (std::size_t i = 0; i < count; ++i)
        c.targets.push_back(chain.Tip(ToMotorUnits(chain, travel.Draw(random))));
    return c;
}

Figures RunOurs(const Case& c) {
    const RobotChain::Impl& chain = c.chain->Internals();
    const double unit = c.robot.imported->unit;
    mechanon::IkOptions options;
    options.Tolerance = kTolerance / unit;
    options.AngleTolerance = kTolerance;
    options.TimeLimit = kTimeLimit;
    options.FirstFound = true;
    const std::vector<double> start = Table(chain, Travel(chain).Middle());
    std::vector<double> seconds;
    std::size_t reached = 0;
    for (std::size_t i = 0; i < c.targets.size(); ++i) {
        const mechanon::RigidFrame& goal = c.targets[i];
        mechanon::IkTarget target{{goal.Translation(0), goal.Translation(1), goal.Translation(2)},
                                  std::nullopt};
        if (c.robot.orientation)
            target.RollPitchYaw = mechanon::RollPitchYawOf(mechanon::ToFrame(goal));
        options.Seed = static_cast<unsigned>(i + 1);
        const auto t0 = Clock::now();
        const mechanon::IkResult result = mechanon::SolveIk(*c.chain, target, start, options);
        seconds.push_back(SecondsSince(t0));
        reached += result.Reached;
        benchmark::DoNotOptimize(result);
    }
    return FiguresOf(std::move(seconds), reached);
}

Figures RunKdl(const Case& c) {
    const RobotChain::Impl& chain = c.chain->Internals();
    const double unit = c.robot.imported->unit;
    const KDL::Chain kdl = MetreChain(chain, unit);
    const Travel travel(chain);
    const unsigned n = kdl.getNrOfJoints();
    KDL::JntArray low(n), high(n), middle(n), guess(n), found(n);
    for (unsigned j = 0; j < n; ++j) {
        const auto motor = static_cast<Eigen::Index>(chain.Joints[j].Motor);
        low(j) = travel.low(motor);
        high(j) = travel.high(motor);
        middle(j) = travel.Middle()(motor);
    }
    KDL::ChainFkSolverPos_recursive fk(kdl);
    KDL::ChainIkSolverVel_pinv velocity(kdl);
    KDL::ChainIkSolverPos_NR_JL solver(kdl, low, high, fk, velocity, 100, kTolerance);
    std::mt19937 random(kTargetSeed + 1);
    std::vector<double> seconds;
    std::size_t reached = 0;
    for (const mechanon::RigidFrame& goal : c.targets) {
        const KDL::Frame target = KdlFrame(goal, unit);
        const auto t0 = Clock::now();
        guess = middle;
        bool done = false;
        while (!done && SecondsSince(t0) < kTimeLimit) {
            done = solver.CartToJnt(guess, target, found) >= 0;
            for (unsigned j = 0; j < n; ++j)
                guess(j) = std::uniform_real_distribution<double>(low(j), high(j))(random);
        }
        seconds.push_back(SecondsSince(t0));
        reached += done;
    }
    return FiguresOf(std::move(seconds), reached);
}

// The number of targets: the protocol's, or MECHANON_BENCH_IK_TARGETS for a quick look.
std::size_t TargetCount(std::int64_t protocol) {
    const char* quick = std::getenv("MECHANON_BENCH_IK_TARGETS");
    const long wanted = quick ? std::atol(quick) : 0;
    return static_cast<std::size_t>(wanted > 0 ? wanted : protocol);
}

void BM_Ik(benchmark::State& state, Arm arm) {
    const Case c = MakeCase(arm, TargetCount(state.range(0)));
    Figures ours, kdl;
    for (auto _ : state) {
        ours = RunOurs(c);
        kdl = RunKdl(c);
    }
    state.counters["success_pct"] = ours.success;
    state.counters["mean_us"] = ours.meanUs;
    state.counters["p99_us"] = ours.p99Us;
    state.counters["kdl_success_pct"] = kdl.success;
    state.counters["kdl_mean_us"] = kdl.meanUs;
    state.counters["kdl_p99_us"] = kdl.p99Us;
    state.counters["mean_vs_kdl"] = ours.meanUs / kdl.meanUs;
    state.counters["failures_vs_kdl"] =
        kdl.success < 100 ? (100 - ours.success) / (100 - kdl.success) : 0;
}

BENCHMARK_CAPTURE(BM_Ik, six_joints, Arm::SixJoints)
    ->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_Ik, seven_joints, Arm::SevenJoints)
    ->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_Ik, servo_arm_position, Arm::ServoArm)
    ->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
