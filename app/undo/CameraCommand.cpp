#include "app/undo/CameraCommand.h"

#include "model/clsRooms.h"

namespace mechanon {

CameraCommand::CameraCommand(torvane::clsRooms& rooms, std::shared_ptr<torvane::clsPartRoom> room,
                             const torvane::typCamera& before, const torvane::typCamera& after)
    : EditCommand(rooms, "Move Camera of " + Quoted(room->Name())),
      room_(std::move(room)),
      before_(before),
      after_(after) {}

bool CameraCommand::mergeWith(const QUndoCommand* other) {
    const auto* step = dynamic_cast<const CameraCommand*>(other);
    if (!open_ || !step || step->room_ != room_) return false;
    after_ = step->after_;
    setObsolete(after_ == before_);
    return true;
}

void CameraCommand::Set(const torvane::typCamera& camera) {
    torvane::typPartData data = room_->PartData();
    data.Camera = camera;
    room_->SetPartData(data);
    Show(*room_, room_->ActiveSubIndex);
}

}  // namespace mechanon
