#include "app/clsBots.h"

#include <algorithm>
#include <cmath>

#include "app/BotsView.h"
#include "app/ScaledThumbnail.h"
#include "app/SnapShots.h"
#include "app/undo/CameraCommand.h"
#include "app/undo/DocumentHistory.h"
#include "model/Error.h"
#include "model/JointPoses.h"
#include "model/NumberText.h"
#include "model/clsSubPart.h"
#include "platform/UserInterface.h"
#include "render/clsOpenGL.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {
clsBots::clsBots()
    : filler_({[this](const SnapShotFiller::Room& room) { return PrepareSnapShot(room); },
               [this](const SnapShotFiller::Room& room) { FinishSnapShot(room); }}) {
    constexpr int kFollowMilliseconds = 40;
    followTimer_.setSingleShot(true);
    followTimer_.setInterval(kFollowMilliseconds);
    QObject::connect(&followTimer_, &QTimer::timeout, &followTimer_, [this] {
        torvane::PublishedRound latest;
        if (toolPath_ && toolPath_->LatestRound(latest)) ShowMeasured(latest.Measured);
    });
}
clsBots::~clsBots() = default;

void clsBots::ReleaseGL() {
    gl_.reset();
}

torvane::clsOpenGL& clsBots::GL() {
    if (!gl_) gl_ = std::make_unique<torvane::clsOpenGL>();
    return *gl_;
}

torvane::clsRooms& clsBots::PartRooms() {
    if (!partRooms_) partRooms_ = std::make_shared<torvane::clsRooms>();
    return *partRooms_;
}

void clsBots::SetPartRooms(std::shared_ptr<torvane::clsRooms> rooms) {
    if (history_) history_->Clear();
    partRooms_ = std::move(rooms);
    reportedMissingMotors_.clear();
    filler_.Queue({});  // pictures of the rooms of the document replaced
}

DocumentHistory& clsBots::History() {
    if (!history_) history_ = std::make_unique<DocumentHistory>(changes_);
    return *history_;
}

torvane::clsToolPath& clsBots::ToolPathControl() {
    if (!toolPath_) torvane::Raise(torvane::ErrorCode::MissingObject, "Object variable not set");
    return *toolPath_;
}

void clsBots::SetToolPathControl(std::shared_ptr<torvane::clsToolPath> toolPath) {
    graphLegSubscription_.Cancel();
    graphStartingSubscription_.Cancel();
    cutRoundSubscription_.Cancel();
    toolPath_ = std::move(toolPath);
    if (!toolPath_) return;
    cutRoundSubscription_ = toolPath_->CutRound.Subscribe(
        [this](double, const torvane::DoubleArray&, const torvane::DoubleArray&) {
            if (!followTimer_.isActive()) followTimer_.start();
        });
    graphStartingSubscription_ =
        toolPath_->GraphStarting.Subscribe([this] { reportedMissingMotors_.clear(); });
    graphLegSubscription_ = toolPath_->GraphLeg.Subscribe(
        [this](const torvane::VbArray<torvane::typToolPathSubLeg>& DoLeg, double Period) {
            ToolPathControl_GraphLeg(DoLeg, Period);
        });
}

void clsBots::UpdateShapesBox() {
    if (view_) view_->ShapesChanged();
}

void clsBots::SelectShapeOnEditForm(const std::string& InShapeName) {
    if (view_) view_->SelectShape(InShapeName);
}

void clsBots::DrawBotWorldList() {
    // The robot holds the joint poses its view shows: a save writes the pose last drawn. A
    // picture drawn in the background (PrepareSnapShot) stores none.
    torvane::JointPoses::StoreSetBy([this](torvane::JointPoses& drawn) {
        GL().CompileWorldList(PartRooms().ActivePartRoom.get(),
                              view_ && view_->HighlightSelection(), &drawn);
    });
}

void clsBots::UpdatePicture(bool DoNotClear, bool Fast) {
    const auto room = PartRooms().ActivePartRoom;
    if (room) GL().SetCameraData(room->PartData().Camera);
    DrawBotWorldList();
    GL().SetQuickPicture(false);
    ShowCompiled(DoNotClear, Fast);
}

void clsBots::ShowChange(Redraw how, bool Live) {
    const auto room = PartRooms().ActivePartRoom;
    if (room) GL().SetCameraData(room->PartData().Camera);
    bool ready = how == Redraw::Camera && Live;
    if (how == Redraw::Camera && !Live) ready = GL().SizeMarkersToCamera();
    if (how == Redraw::Place)
        torvane::JointPoses::StoreSetBy(
            [&](torvane::JointPoses& drawn) { ready = GL().PlaceWorldList(room.get(), &drawn); });
    if (!ready) DrawBotWorldList();
    GL().SetQuickPicture(Live);
    ShowCompiled(false, Live);
}

void clsBots::SettlePicture() {
    if (!GL().QuickPicture()) return;
    const auto room = PartRooms().ActivePartRoom;
    if (room) GL().SetCameraData(room->PartData().Camera);
    if (!GL().SizeMarkersToCamera()) DrawBotWorldList();
    GL().SetQuickPicture(false);
    GL().DisplayWorldList(false);
}

void clsBots::ShowCompiled(bool DoNotClear, bool Fast) {
    const auto room = PartRooms().ActivePartRoom;
    // One display per picture: when the room's thumbnail is to be refreshed, it is made from
    // the frame this display reads back, not from a second drawing of the scene, unless that
    // frame shows the selection in red.
    const QSize wanted = Fast ? QSize() : SnapShotWanted();
    const bool fromFrame = !Highlighting();
    torvane::GlImage shown;
    GL().DisplayWorldList(DoNotClear, wanted.isEmpty() || !fromFrame ? nullptr : &shown,
                          wanted.width() * kFrameHalvedTo, wanted.height() * kFrameHalvedTo);
    if (Fast) return;
    // A frame with the selection in red cannot be the thumbnail: the room's picture is drawn
    // apart in the background, first of all, so the view shows the change at once.
    if (fromFrame)
        KeepSnapShot(shown, wanted);
    else if (!wanted.isEmpty())
        filler_.AddFirst(room);
    if (room) RedrawSnapShotsHolding(*room);
    if (view_) view_->PictureShown();
}

bool clsBots::Highlighting() const {
    return view_ && view_->HighlightSelection();
}

void clsBots::DrawSnapShotApart(const std::shared_ptr<torvane::clsPartRoom>& room) {
    if (!room) return;
    if (PrepareSnapShot(room)) FinishSnapShot(room);
    filler_.Forget(room.get());
}

void clsBots::RedrawSnapShotsHolding(const torvane::clsPartRoom& room) {
    std::vector<std::shared_ptr<torvane::clsPartRoom>> holders;
    for (const auto& holder : PartRooms().RoomsHolding(room))
        if (holder.get() != &room) holders.push_back(holder);
    filler_.Add(holders);
}

torvane::GlImage clsBots::PlainFrame() {
    const auto room = PartRooms().ActivePartRoom;
    if (room) GL().SetCameraData(room->PartData().Camera);
    GL().CompileWorldList(room.get(), false);
    GL().SetQuickPicture(false);
    torvane::GlImage shown;
    GL().DisplayWorldList(false, &shown);
    UpdatePicture(false, true);  // the view shows the selection again
    return shown;
}

QSize clsBots::SnapShotWanted() {
    if (!view_ || !PartRooms().ActivePartRoom) return {};
    return view_->ThumbnailWanted(PartRooms().PartRoomIndex());
}

void clsBots::KeepSnapShot(const torvane::GlImage& shown, const QSize& size) {
    const auto room = PartRooms().ActivePartRoom;
    // Not on screen, or no thumbnail wanted: the old snapshot stays.
    if (!view_ || !room || size.isEmpty() || shown.Empty()) return;
    room->SnapShot = MakeSnapShot(view_->ThumbnailTaken(
        PartRooms().PartRoomIndex(), ScaledThumbnail(shown, size), room->Name()));
    filler_.Forget(room.get());
}

void clsBots::FillSnapShots() {
    std::vector<std::shared_ptr<torvane::clsPartRoom>> rooms;
    for (int i = 1; i <= PartRooms().TotalRooms; ++i) rooms.push_back(PartRooms().Rooms(i));
    filler_.Queue(rooms);
}

int clsBots::PositionOf(const std::shared_ptr<torvane::clsPartRoom>& room) {
    auto& rooms = PartRooms();
    for (int i = 1; i <= rooms.TotalRooms; ++i)
        if (rooms.Rooms(i) == room) return i;
    return 0;
}

bool clsBots::PrepareSnapShot(const std::shared_ptr<torvane::clsPartRoom>& room) {
    if (!view_ || !gl_ || !gl_->HasContext()) return false;
    const QSize size = view_->ThumbnailSize();
    if (PositionOf(room) == 0 || size.isEmpty()) return false;  // removed, or no parts bar
    return gl_->CompileOffScreen(room.get(), room->PartData().Camera, false,
                                 size.height() * kBackgroundFiner);
}

void clsBots::FinishSnapShot(const std::shared_ptr<torvane::clsPartRoom>& room) {
    const int index = PositionOf(room);
    if (!view_ || !gl_ || index == 0) return;
    const QSize size = view_->ThumbnailSize();
    const torvane::GlImage drawn = gl_->ShowOffScreen(
        room->PartData().Camera, size.width() * kBackgroundFiner, size.height() * kBackgroundFiner);
    if (drawn.Empty()) return;
    room->SnapShot =
        MakeSnapShot(view_->ThumbnailTaken(index, ScaledThumbnail(drawn, size), room->Name()));
}

void clsBots::UpdateSnapShot() {
    const QSize size = SnapShotWanted();
    if (size.isEmpty()) return;
    if (Highlighting()) {
        DrawSnapShotApart(PartRooms().ActivePartRoom);
        return;
    }
    // The picture is the view's frame read from the back buffer before it is shown.
    torvane::GlImage shown;
    GL().DisplayWorldList(false, &shown, size.width() * kFrameHalvedTo,
                          size.height() * kFrameHalvedTo);
    KeepSnapShot(shown, size);
}

void clsBots::GraphLeg(const torvane::VbArray<torvane::typToolPathSubLeg>& InLeg, double Period) {
    if (!InLeg.IsAllocated()) return;
    for (int i = 1; i <= InLeg.UBound() && !ProgramClosing() && !GraphStopped(); ++i)
        GraphSubLeg(InLeg(i), Period);
    if (!ProgramClosing()) SettlePicture();  // the pose the path ended at, exactly
}

void clsBots::ToolPathControl_GraphLeg(const torvane::VbArray<torvane::typToolPathSubLeg>& DoLeg,
                                       double Period) {
    GraphLeg(DoLeg, Period);
}

void clsBots::GraphSubLeg(const torvane::typToolPathSubLeg& InSubleg, double Period) {
    if (Period == 0) return;  // a zero step would never end the loop
    const auto room = PartRooms().ActivePartRoom;
    if (!room) torvane::Raise(torvane::ErrorCode::MissingObject, "There is no active part room.");
    const torvane::DoubleArray startParametrics =
        ToolPathControl().EvalEqs(InSubleg.ParametricEQs, InSubleg.StartS);
    torvane::typMotorMasks masks = room->MotorMasks();
    const int motors = InSubleg.StartPoints.IsAllocated() ? InSubleg.StartPoints.UBound() : 0;
    const int available = masks.Masks.IsAllocated() ? masks.Masks.UBound() : 0;
    if (motors > available) ReportMissingMotors(room->Name(), std::max(available, 0) + 1, motors);
    const int driven = std::min(motors, available);

    const double end = InSubleg.EndS;
    if (Period > 0 ? InSubleg.StartS > end : InSubleg.StartS < end) {
        torvane::Host().DoEvents();  // a step pointing away from EndS draws nothing
        return;
    }
    // The steps run from StartS and the last one lands on EndS exactly: the path is drawn to its
    // end, and an equation that fails there says so instead of the graph stopping a step short.
    for (double S = InSubleg.StartS;; S += Period) {
        const bool last = Period > 0 ? S >= end : S <= end;
        if (last) S = end;
        const torvane::DoubleArray positions =
            ToolPathControl().EvalMotorPositions(InSubleg, S, startParametrics);
        for (int i = 1; i <= driven; ++i) masks.Masks(i).Value = positions(i);
        room->SetMotorMasks(masks);
        ShowChange(Redraw::Place, true);
        torvane::Host().DoEvents();
        // The user closed the program or stopped the graph during the animation.
        if (ProgramClosing() || GraphStopped()) return;
        if (last) break;
        if (S + Period == S)  // the step vanishes against S: the loop could never end
            torvane::Raise(torvane::ErrorCode::InvalidArgument,
                           "The animation step " + torvane::TrimmedNumberText(Period) +
                               " is too small to advance the path parameter.");
    }
    torvane::Host().DoEvents();
}

void clsBots::ShowMeasured(const std::vector<double>& Measured) {
    const auto room = PartRooms().ActivePartRoom;
    if (!room) return;
    torvane::typMotorMasks masks = room->MotorMasks();
    const int available = masks.Masks.IsAllocated() ? masks.Masks.UBound() : 0;
    const int driven = std::min(static_cast<int>(Measured.size()), available);
    for (int i = 1; i <= driven; ++i)
        masks.Masks(i).Value = Measured[static_cast<std::size_t>(i - 1)];
    room->SetMotorMasks(masks);
    // The view and the motor table both show where the motors stand; as an animation draws.
    changes_.Announce({.Kind = ChangeKind::MotorValues, .Room = room.get(), .Live = true});
}

bool clsBots::GraphStopped() const {
    return toolPath_ && toolPath_->StopToken().stop_requested();
}

bool clsBots::ProgramClosing() const {
    return view_ && view_->ProgramClosing();
}

void clsBots::ReportMissingMotors(const std::string& roomName, int firstMissing, int lastMissing) {
    if (!reportedMissingMotors_.insert({roomName, lastMissing}).second) return;
    const std::string motors = firstMissing == lastMissing
                                   ? "motor " + std::to_string(firstMissing) + " was"
                                   : "motors " + std::to_string(firstMissing) + " to " +
                                         std::to_string(lastMissing) + " were";
    torvane::Host().MsgBox("The tool path drives " + std::to_string(lastMissing) +
                               " motors, but the part room " + roomName + " has " +
                               std::to_string(firstMissing - 1) + " motor masks.  Tool-path " +
                               motors + " ignored.",
                           torvane::MsgButtons::OK);
}

void clsBots::SetActiveCamera(const torvane::typCamera& camera, bool Final) {
    const auto room = PartRooms().ActivePartRoom;
    if (!room) return;
    for (const double v : {camera.CameraX, camera.CameraY, camera.CameraZ, camera.LookAtX,
                           camera.LookAtY, camera.LookAtZ})
        if (!std::isfinite(v))
            torvane::Raise(torvane::ErrorCode::Overflow,
                           "The camera cannot be placed at a number that is not finite; the view "
                           "keeps its camera.");
    torvane::typPartData data = room->PartData();
    const torvane::typCamera before = data.Camera;
    data.Camera = camera;
    room->SetPartData(data);
    if (camera != before)
        History().Record(std::make_unique<CameraCommand>(PartRooms(), room, before, camera));
    if (Final) History().EndMerging();
    changes_.Announce({.Kind = ChangeKind::Camera, .Room = room.get(), .Live = !Final});
}

}  // namespace mechanon
