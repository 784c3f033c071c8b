#pragma once
// What a RobotChain holds once it has read its room: the joints from the room to the tip with
// the frames between them, the motors that drive them, and the rules that move followers' table
// entries with their leaders. Forward kinematics and the Jacobian are computed here directly, on
// small fixed-size matrices; the same chain is also kept as a KDL chain for the solvers that
// take one.

#include <Eigen/Core>
#include <Eigen/Geometry>
#include <kdl/chain.hpp>
#include <vector>

#include "kinematics/RobotChain.h"

namespace mechanon {

// A rigid placement: x' = Rotation * x + Translation.
struct RigidFrame {
    Eigen::Matrix3d Rotation = Eigen::Matrix3d::Identity();
    Eigen::Vector3d Translation = Eigen::Vector3d::Zero();

    RigidFrame operator*(const RigidFrame& b) const {
        return {Rotation * b.Rotation, Rotation * b.Translation + Translation};
    }
    RigidFrame Inverse() const {
        const Eigen::Matrix3d back = Rotation.transpose();
        return {back, -(back * Translation)};
    }
};

RigidFrame ToRigid(const torvane::typFrame& frame);
torvane::typFrame ToFrame(const RigidFrame& frame);

// One joint of the chain. Its step is a turn about (rotational) or a shift along Axis, in the
// frame it starts from, by Offset + Scale * motor value, in radians or model units.
struct ChainJoint {
    Eigen::Vector3d Axis = Eigen::Vector3d::UnitX();
    bool Rotational = true;
    std::size_t Motor = 0;  // index into Motors()
    double Scale = 1;
    double Offset = 0;
    RigidFrame After;  // from the frame after the step to the next joint's (or the tip's)
};

// A table entry of a follower moved by one of the chain's motors: Base + Factor * motor value.
struct FollowerRule {
    std::size_t Entry = 0;  // index into the mask table (0 is mask 1)
    std::size_t Motor = 0;  // index into Motors()
    double Base = 0;
    double Factor = 0;
};

struct RobotChain::Impl {
    std::vector<int> Motors;
    std::vector<torvane::typMotorRange> Ranges;
    // Per motor: radians or model units per motor unit (pi / 180 for a rotational motor).
    std::vector<double> NaturalScale;
    std::vector<bool> MotorRotational;
    // Per motor: a whole turn of it brings every joint it moves back where it was (a rotational
    // motor that turns its joints one for one and leads no follower's table entry).
    std::vector<bool> Periodic;
    RigidFrame Base;  // from the room to the first joint's frame (or the tip)
    std::vector<ChainJoint> Joints;
    std::vector<FollowerRule> Followers;
    std::size_t TableSize = 0;
    // A length typical of the chain (model units): the sum of the distances between its joints
    // and the tip, never 0.
    double Reach = 1;
    // The same chain for KDL, one KDL joint per ChainJoint, its value the motor's in motor units.
    KDL::Chain Kdl;

    // The tip's frame with the motors at values (motor units).
    RigidFrame Tip(const Eigen::VectorXd& values) const;
    // The tip's frame and the 6 x n Jacobian (rows: linear then angular velocity of the tip in
    // the room's frame; columns: per motor unit).
    RigidFrame TipAndJacobian(const Eigen::VectorXd& values, Eigen::MatrixXd& jacobian) const;
    // The chain's motors' values taken from a mask table (missing entries are 0).
    Eigen::VectorXd MotorValues(const std::vector<double>& table) const;
    // table with the chain's motors set to values and their followers moved.
    std::vector<double> TableWith(std::vector<double> table, const Eigen::VectorXd& values) const;
};

}  // namespace mechanon
