#include "export/PosedRoom.h"

#include "model/Error.h"

namespace mechanon {

std::shared_ptr<torvane::clsPartRoom> FindRoom(const torvane::clsRooms& rooms,
                                               const std::string& name) {
    auto room = name.empty() ? rooms.ActivePartRoom : rooms.GetRoomByName(name);
    if (!room)
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       name.empty() ? std::string("the robot has no active room")
                                    : "the robot has no room named \"" + name + "\"");
    return room;
}

std::vector<torvane::typPlacedOccurrence> PlaceRoom(torvane::clsPartRoom& room,
                                                    const std::vector<double>& positions,
                                                    torvane::JointPoses* poses) {
    torvane::typMotorMasks masks = room.MotorMasks();
    const auto motors = static_cast<std::size_t>(std::max(masks.TotalMasks, 0));
    if (positions.size() > motors)
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       std::to_string(positions.size()) + " positions given, but the room \"" +
                           room.Name() + "\" has " + std::to_string(motors) + " motors");
    for (std::int32_t k = 1; k <= masks.TotalMasks; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        if (masks.Masks.IsAllocated() && k <= masks.Masks.UBound())
            masks.Masks(k).Value = i < positions.size() ? positions[i] : 0;
    }
    masks.CountMasks = 1;
    torvane::clsSubPart root;
    torvane::FramePlacementVisitor frames(poses);
    room.CalculateForwardKinematics(root, masks, frames);
    return frames.Occurrences();
}

}  // namespace mechanon
