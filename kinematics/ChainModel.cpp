#include "kinematics/ChainModel.h"

namespace mechanon {
namespace {

RigidFrame Step(const ChainJoint& joint, double motorValue) {
    const double amount = joint.Offset + joint.Scale * motorValue;
    RigidFrame step;
    if (joint.Rotational)
        step.Rotation = Eigen::AngleAxisd(amount, joint.Axis).toRotationMatrix();
    else
        step.Translation = joint.Axis * amount;
    return step;
}

}  // namespace

RigidFrame ToRigid(const torvane::typFrame& frame) {
    RigidFrame out;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) out.Rotation(r, c) = frame(r, c);
        out.Translation(r) = frame(r, 3);
    }
    return out;
}

torvane::typFrame ToFrame(const RigidFrame& frame) {
    torvane::typFrame out;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) out(r, c) = frame.Rotation(r, c);
        out(r, 3) = frame.Translation(r);
    }
    return out;
}

RigidFrame RobotChain::Impl::Tip(const Eigen::VectorXd& values) const {
    RigidFrame here = Base;
    for (const ChainJoint& joint : Joints)
        here = here * Step(joint, values(static_cast<Eigen::Index>(joint.Motor))) * joint.After;
    return here;
}

RigidFrame RobotChain::Impl::TipAndJacobian(const Eigen::VectorXd& values,
                                            Eigen::MatrixXd& jacobian) const {
    jacobian.setZero(6, static_cast<Eigen::Index>(Motors.size()));
    // Each joint's place and axis in the room's frame first; the tip is known only at the end.
    thread_local std::vector<Eigen::Vector3d> origins, axes;
    origins.resize(Joints.size());
    axes.resize(Joints.size());
    RigidFrame here = Base;
    for (std::size_t i = 0; i < Joints.size(); ++i) {
        const ChainJoint& joint = Joints[i];
        origins[i] = here.Translation;
        axes[i] = here.Rotation * joint.Axis;
        here = here * Step(joint, values(static_cast<Eigen::Index>(joint.Motor))) * joint.After;
    }
    for (std::size_t i = 0; i < Joints.size(); ++i) {
        const ChainJoint& joint = Joints[i];
        auto column = jacobian.col(static_cast<Eigen::Index>(joint.Motor));
        if (joint.Rotational) {
            column.head<3>() += joint.Scale * axes[i].cross(here.Translation - origins[i]);
            column.tail<3>() += joint.Scale * axes[i];
        } else {
            column.head<3>() += joint.Scale * axes[i];
        }
    }
    return here;
}

Eigen::VectorXd RobotChain::Impl::MotorValues(const std::vector<double>& table) const {
    Eigen::VectorXd values(static_cast<Eigen::Index>(Motors.size()));
    for (std::size_t m = 0; m < Motors.size(); ++m) {
        const auto entry = static_cast<std::size_t>(Motors[m] - 1);
        values(static_cast<Eigen::Index>(m)) = entry < table.size() ? table[entry] : 0;
    }
    return values;
}

std::vector<double> RobotChain::Impl::TableWith(std::vector<double> table,
                                                const Eigen::VectorXd& values) const {
    if (table.size() < TableSize) table.resize(TableSize, 0);
    for (std::size_t m = 0; m < Motors.size(); ++m)
        table[static_cast<std::size_t>(Motors[m] - 1)] = values(static_cast<Eigen::Index>(m));
    for (const FollowerRule& rule : Followers)
        if (rule.Entry < table.size())
            table[rule.Entry] =
                rule.Base + rule.Factor * values(static_cast<Eigen::Index>(rule.Motor));
    return table;
}

}  // namespace mechanon
