// The part editor's subpart commands: Add SubPart (pick a room, name the use, attach it) and
// Delete SubPart (remove the selected use).

#include <utility>

#include "app/Twips.h"
#include "app/clsBots.h"
#include "app/editing/frmEditBot.h"
#include "app/editing/frmSubParts.h"
#include "app/undo/DocumentHistory.h"
#include "app/undo/SubPartAddCommand.h"
#include "app/undo/SubPartDeleteCommand.h"
#include "model/Error.h"
#include "model/NumberText.h"
#include "model/clsRooms.h"
#include "platform/UserInterface.h"

namespace mechanon {
namespace {

constexpr const char* kNameInUse =
    "The subpart name you have enetered is already in use.  Operation has been aborted.";

// PassSubPart is the picker's only way back; it is empty again however the command ends.
class PassSubPartScope {
  public:
    explicit PassSubPartScope(std::shared_ptr<torvane::clsPartRoom>& pass) : pass_(pass) {
        pass_.reset();
    }
    ~PassSubPartScope() { pass_.reset(); }
    PassSubPartScope(const PassSubPartScope&) = delete;
    PassSubPartScope& operator=(const PassSubPartScope&) = delete;

  private:
    std::shared_ptr<torvane::clsPartRoom>& pass_;
};

}  // namespace

void frmEditBot::AddSubPart() {
    const auto P = bots_.PartRooms().ActivePartRoom;
    if (!P) return;
    std::shared_ptr<torvane::clsPartRoom> chosen;
    {
        const PassSubPartScope scope(PassSubPart);
        frmSubParts picker(bots_, *this, this);
        picker.SetUpSubPart(P);
        const ThumbnailStrip& strip = picker.Strip();
        if (strip.Count() == 0) return;
        // Wide enough to show the last picture whole.
        picker.resize(strip.Thumbnail(strip.Count()).x() + strip.Thumbnail(0).width() +
                          TwipsToPixelsX(*this, 100),
                      picker.height());
        ShowPickerModal(picker);
        chosen = PassSubPart;
    }
    if (!chosen) return;

    const std::string name = torvane::Host().InputBox(
        "Enter a name for the new subpart", "Sub" + torvane::NumberText(P->SubParts.Count() + 1));
    if (name.empty()) return;
    if (!P->SubPartNameFree(name)) {
        torvane::Host().MsgBox(kNameInUse, torvane::MsgButtons::OK);
        return;
    }
    // The picker offers no such room, but the room may have changed since it was shown.
    if (chosen->CanReach(*P)) {
        torvane::Host().MsgBox(
            "The part room " + chosen->Name() + " cannot be attached as a subpart of " + P->Name() +
                " because it is or contains " + P->Name() + ".  Operation has been aborted.",
            torvane::MsgButtons::OK);
        return;
    }
    torvane::typSubPartData data;
    data.Name = name;
    auto sub = std::make_shared<torvane::clsSubPart>(data);
    sub->Part = chosen;
    try {
        // The new use brings the motors of its tree into every table above it.
        auto& rooms = bots_.PartRooms();
        bots_.History().Record(
            std::make_unique<SubPartAddCommand>(rooms, P, sub, rooms.AttachSubPart(*P, sub)));
    } catch (const torvane::Error& e) {
        // The list refuses a name it still holds under another spelling: the same answer as
        // the check above, and nothing changes.
        if (e.Code() != torvane::ErrorCode::DuplicateKey) throw;
        torvane::Host().MsgBox(kNameInUse, torvane::MsgButtons::OK);
        return;
    }
    P->ActiveSubIndex = P->SubParts.Count();
    bots_.Changes().Announce({ChangeKind::SubParts, P.get(), this});
}

void frmEditBot::DeleteSubPart() {
    const auto P = bots_.PartRooms().ActivePartRoom;
    if (!P) return;
    if (P->SubParts.Empty()) {
        torvane::Host().MsgBox(
            "There are no subparts to delete.  To delete a part, use the delete part command "
            "under the 'Design' menu of the main form.",
            torvane::MsgButtons::OK);
        return;
    }
    if (P->ActiveSubIndex == 0) {
        torvane::Host().MsgBox(
            "Select the sub part you want to delete by selecting it(click the picture of the "
            "subpart you want to delete, then click the 'Delete Subpart' command again.",
            torvane::MsgButtons::OK);
        return;
    }
    // The selected subpart, in the room's own list or in that of a room further down the tree.
    const auto [holder, k] = torvane::SubPartAtPath(P, P->SelectedPath());
    if (k == 0) return;
    if (torvane::Host().MsgBox(
            "Are you sure you want to delete the subpart " + holder->SubParts(k).Name(),
            torvane::MsgButtons::OKCancel) != torvane::MsgAnswer::OK)
        return;
    // The removed use takes the motors of its tree out of every table above it.
    auto& rooms = bots_.PartRooms();
    bots_.History().Record(
        std::make_unique<SubPartDeleteCommand>(rooms, holder, rooms.RemoveSubPart(*holder, k)));
    P->SelectPath({});
    bots_.Changes().Announce({ChangeKind::SubParts, P.get(), this});
}

}  // namespace mechanon
