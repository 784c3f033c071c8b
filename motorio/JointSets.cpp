#include "motorio/JointSets.h"

#include <algorithm>

#include "model/Error.h"
#include "motorio/BusServoJoints.h"
#include "motorio/GroupedJoints.h"
#include "motorio/LineDrivenJoints.h"
#include "motorio/SimulatedJoints.h"

namespace torvane {

JointSets::JointSets(std::shared_ptr<LineDrivenJoints> Lines) : lines_(std::move(Lines)) {}

std::shared_ptr<DrivenJoints> JointSets::For(const JointLine& Line) {
    switch (Line.Kind) {
        case DriveKind::Simulated:
            if (!simulated_) simulated_ = std::make_shared<SimulatedJoints>();
            return simulated_;
        case DriveKind::Lines:
            break;
        case DriveKind::Feetech:
        case DriveKind::Dynamixel:
        case DriveKind::Maestro: {
            std::shared_ptr<BusServoJoints>& bus = buses_[{Line.Kind, Line.Device}];
            if (!bus)
                bus = std::make_shared<BusServoJoints>(Line.Device, MakeServoProtocol(Line.Kind));
            return bus;
        }
    }
    return lines_;
}

bool JointSets::ReleaseServoBuses() noexcept {
    bool off = true;
    for (const auto& [key, bus] : buses_) {
        off = bus->AllOff() && off;
        bus->Close();
    }
    return off;
}

std::shared_ptr<DrivenJoints> MakeDrivenJoints(const std::vector<JointLine>& Motors,
                                               JointSets& Sets) {
    std::vector<GroupedJoints::Group> groups;
    for (std::size_t k = 0; k < Motors.size(); ++k) {
        std::shared_ptr<DrivenJoints> set = Sets.For(Motors[k]);
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&set](const auto& g) { return g.Joints == set; });
        if (group == groups.end()) group = groups.insert(groups.end(), {std::move(set), {}});
        group->Motors.push_back(static_cast<int>(k + 1));
    }
    if (groups.empty()) return Sets.For(JointLine{});
    if (groups.size() == 1) return groups.front().Joints;  // motors 1 to n in order
    return std::make_shared<GroupedJoints>(std::move(groups));
}

}  // namespace torvane
