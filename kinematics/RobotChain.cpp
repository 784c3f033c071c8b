#include "kinematics/RobotChain.h"

#include "export/PosedRoom.h"
#include "kinematics/ChainBuilder.h"
#include "kinematics/ChainLinks.h"
#include "kinematics/ChainModel.h"

namespace mechanon {

std::vector<ChainTip> ChainTips(torvane::clsPartRoom& room) {
    const PlacedLinks placed = LinksOf(PlaceRoom(room, {}), room.Name());
    std::vector<ChainTip> tips;
    for (std::size_t i = 0; i < placed.Occurrences.size(); ++i)
        tips.push_back(
            {placed.Robot.Links[placed.LinkOf[i]].Name, OccurrencePathOf(placed.Occurrences[i])});
    return tips;
}

RobotChain::RobotChain(torvane::clsPartRoom& room, const std::string& tip)
    : impl_(std::make_unique<Impl>(BuildChain(room, tip))) {}

RobotChain::~RobotChain() = default;
RobotChain::RobotChain(RobotChain&&) noexcept = default;
RobotChain& RobotChain::operator=(RobotChain&&) noexcept = default;

const std::vector<int>& RobotChain::Motors() const noexcept {
    return impl_->Motors;
}

const std::vector<torvane::typMotorRange>& RobotChain::Ranges() const noexcept {
    return impl_->Ranges;
}

torvane::typFrame RobotChain::TipFrame(const std::vector<double>& tablePositions) const {
    return ToFrame(impl_->Tip(impl_->MotorValues(tablePositions)));
}

}  // namespace mechanon
