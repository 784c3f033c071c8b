#pragma once
// The program's one glue object. It holds the library objects the windows share (the room
// collection that is the robot document, the GL object, the text helpers and the tool-path
// object) and turns the model into pixels: it rebuilds the world display list from the active
// part room, shows it in the 3D view, captures the result as the room's snapshot, and animates
// the robot along a tool path.

#include <QImage>
#include <QSize>
#include <QString>
#include <QTimer>
#include <memory>
#include <set>
#include <string>

#include "app/DocumentChanges.h"
#include "app/SnapShotFiller.h"
#include "model/Records.h"
#include "model/VbArray.h"
#include "model/clsMiscInterface.h"
#include "model/clsRooms.h"
#include "motorio/Event.h"
#include "platform/GlSurface.h"
#include "toolpath/clsXML.h"

namespace torvane {
class clsOpenGL;
class clsToolPath;
}  // namespace torvane

namespace mechanon {

class BotsView;
class DocumentHistory;

// What a change asks of the picture: the world compiled anew; the moving parts placed where
// new motor values put them; or nothing but another camera.
enum class Redraw { Compile, Place, Camera };

class clsBots {
  public:
    clsBots();
    ~clsBots();
    clsBots(const clsBots&) = delete;
    clsBots& operator=(const clsBots&) = delete;

    // What the glue tells the windows; set once the main window exists. Before that nothing is
    // highlighted, no thumbnail is taken and no window is told anything.
    void AttachView(BotsView& view) { view_ = &view; }

    // The GL object, made on first use.
    torvane::clsOpenGL& GL();
    // Deletes the GL object (and its context) while its drawable still exists.
    void ReleaseGL();
    // The robot document, made on first use; New replaces it (and clears the history, whose
    // changes belong to the document they were made in).
    torvane::clsRooms& PartRooms();
    void SetPartRooms(std::shared_ptr<torvane::clsRooms> rooms);
    // The undoable changes made to the document, made on first use.
    DocumentHistory& History();
    // Where every change of the document is announced and the windows hear of it.
    DocumentChanges& Changes() { return changes_; }
    torvane::clsMiscInterface& MI() { return mi_; }
    // The tool-path object; set at start-up. A missing-object error before that. Setting it
    // subscribes ToolPathControl_GraphLeg to its GraphLeg event (and ends the subscriptions to
    // the object it replaces), so graphing a path animates the 3D view; each new graph may
    // report its ignored motors once again.
    torvane::clsToolPath& ToolPathControl();
    void SetToolPathControl(std::shared_ptr<torvane::clsToolPath> toolPath);
    bool HasToolPathControl() const { return toolPath_ != nullptr; }

    // Asks the part editor to refill its shape list.
    void UpdateShapesBox();
    // Selects InShapeName (exact match, the last of equal items) in the editor's shape list.
    void SelectShapeOnEditForm(const std::string& InShapeName);
    // Recompiles the world display list from the active part room and stores in the rooms the
    // joint poses it is drawn at (those placed before a failure too).
    void DrawBotWorldList();
    // Shows the active room from its own camera; unless Fast, refreshes its snapshot from the
    // frame shown (the scene is drawn once) and the view's caption lines.
    void UpdatePicture(bool DoNotClear = false, bool Fast = false);
    // Shows a change of the active room as little work as it needs (how): a live change as the
    // quick picture the view draws while it moves, with nothing else refreshed; a settled one
    // as the exact picture with the room's snapshot and the caption lines, as UpdatePicture.
    // Whatever cannot be placed or resized is compiled anew.
    void ShowChange(Redraw how, bool Live);
    // The exact picture again after live changes (the markers sized for the camera they ended
    // at), without a new snapshot; nothing when the view shows it already.
    void SettlePicture();
    // The active room as the view shows it but without the selection in red (a picture to
    // export); empty when the view is not on screen. The view is drawn again as it was.
    torvane::GlImage PlainFrame();
    // Refreshes the active room's snapshot when its thumbnail is wholly visible, showing the
    // world list once more. Snapshots never show the selection in red: while the view does, the
    // snapshot is drawn apart off screen.
    void UpdateSnapShot();
    // Remakes every room's snapshot in the background, one room per pass of the event loop,
    // each drawn off screen from its own camera and without the selection in red: the view and
    // the active room are not touched.
    // A room drawn in the view meanwhile keeps the picture of that frame.
    void FillSnapShots();
    // Rooms still waiting for their background snapshot.
    int SnapShotsWaiting() const { return filler_.Waiting(); }
    // Animates every subleg of InLeg with steps of Period. The animation ends early when the
    // main window has been closed meanwhile, so closing the program is not held up by a path.
    void GraphLeg(const torvane::VbArray<torvane::typToolPathSubLeg>& InLeg, double Period);
    void GraphSubLeg(const torvane::typToolPathSubLeg& InSubleg, double Period);
    // The handler of the tool-path object's GraphLeg event.
    void ToolPathControl_GraphLeg(const torvane::VbArray<torvane::typToolPathSubLeg>& DoLeg,
                                  double Period);

    // The active room's motor masks take the measured positions (motor 1 at [0]), announced as
    // a live change of the motor values (the view redraws, the motor table shows them). During a
    // drive a timer does this with the latest round the control rounds published, about 25 times a
    // second, and once more after the last round.
    void ShowMeasured(const std::vector<double>& Measured);

    // Writes a camera into the active room (mouse navigation) and announces it; the steps of a
    // drag are live changes, and only the settled one at its end (Final) refreshes the snapshot
    // and the part editor's camera fields, so an Apply in the editor keeps the camera the mouse
    // set. The steps of one drag are one change in the history.
    void SetActiveCamera(const torvane::typCamera& camera, bool Final);

    // Motor numbers a path asked for that the active room has no mask for, reported once per
    // room and number (cleared when the document is replaced and when a new graph starts).
    const std::set<std::pair<std::string, int>>& ReportedMissingMotors() const {
        return reportedMissingMotors_;
    }

  private:
    // Shows the world list as compiled now; unless Fast, refreshes the room's snapshot from the
    // frame and the caption lines.
    void ShowCompiled(bool DoNotClear, bool Fast);
    // The size of the active room's thumbnail when a new one is to be taken; empty otherwise.
    QSize SnapShotWanted();
    // The view draws the selection in red, so its frame cannot be a thumbnail.
    bool Highlighting() const;
    // Makes room's snapshot at once off screen, without the selection in red.
    void DrawSnapShotApart(const std::shared_ptr<torvane::clsPartRoom>& room);
    // Queues in the background the pictures of the rooms that use room somewhere in their
    // trees, which show it too.
    void RedrawSnapShotsHolding(const torvane::clsPartRoom& room);
    // Makes the active room's snapshot from a frame read back at its display.
    void KeepSnapShot(const torvane::GlImage& shown, const QSize& size);
    // The background steps of room's snapshot: compiled off screen (false when it is no
    // longer in the robot or there is nothing to draw into), then drawn at thumbnail size.
    bool PrepareSnapShot(const std::shared_ptr<torvane::clsPartRoom>& room);
    void FinishSnapShot(const std::shared_ptr<torvane::clsPartRoom>& room);
    // room's position in the robot, 0 when it is not in it.
    int PositionOf(const std::shared_ptr<torvane::clsPartRoom>& room);
    // True once the started main window has been closed.
    bool ProgramClosing() const;
    // The running graph's stop was requested (Stop, Escape).
    bool GraphStopped() const;
    void ReportMissingMotors(const std::string& roomName, int firstMissing, int lastMissing);

    std::unique_ptr<torvane::clsOpenGL> gl_;
    std::shared_ptr<torvane::clsRooms> partRooms_;
    DocumentChanges changes_;  // before the history, which announces through it
    std::unique_ptr<DocumentHistory> history_;
    torvane::clsMiscInterface mi_;
    std::shared_ptr<torvane::clsToolPath> toolPath_;
    torvane::Subscription graphLegSubscription_;
    torvane::Subscription graphStartingSubscription_;
    torvane::Subscription cutRoundSubscription_;
    QTimer followTimer_;  // started by a round, shows the latest one when it fires
    BotsView* view_ = nullptr;
    std::set<std::pair<std::string, int>> reportedMissingMotors_;
    SnapShotFiller filler_;  // last: its timer stops before anything it draws with goes
};

}  // namespace mechanon
