#pragma once
// A camera moved with the mouse in the 3D view. Every step of one drag (or one wheel notch)
// merges into the command the drag began with, so the whole drag is undone at once.

#include <memory>

#include "app/undo/EditCommand.h"
#include "model/Records.h"

namespace mechanon {

class CameraCommand final : public EditCommand {
  public:
    static constexpr int kId = 1;
    CameraCommand(torvane::clsRooms& rooms, std::shared_ptr<torvane::clsPartRoom> room,
                  const torvane::typCamera& before, const torvane::typCamera& after);
    int id() const override { return kId; }
    // Takes the step of a later command of the same room while the drag lasts; a drag that
    // ends where it began leaves no command.
    bool mergeWith(const QUndoCommand* other) override;
    void EndMerging() override { open_ = false; }
    std::size_t Bytes() const override { return 0; }

  protected:
    void Undo() override { Set(before_); }
    void Redo() override { Set(after_); }

  private:
    void Set(const torvane::typCamera& camera);
    std::shared_ptr<torvane::clsPartRoom> room_;
    torvane::typCamera before_;
    torvane::typCamera after_;
    bool open_ = true;
};

}  // namespace mechanon
