// The View menu of the main window, and picking a subpart by clicking the 3D view.

#include <QKeySequence>
#include <QMenuBar>

#include "app/DesktopBasics.h"
#include "app/MDIForm1.h"
#include "app/QtGlSurface.h"
#include "app/clsBots.h"
#include "app/editing/ReportErrors.h"
#include "app/frmBot.h"
#include "export/ViewScene.h"
#include "model/Error.h"
#include "model/JointPoses.h"
#include "model/clsRooms.h"
#include "render/clsOpenGL.h"

namespace mechanon {

namespace {

ViewLens LensOf(const torvane::clsOpenGL& gl) {
    return {gl.FieldOfView(), gl.AspectRatio(), gl.NearClip(), gl.FarClip()};
}

// The room placed as the view shows it; the joint poses it sets are stored as a drawing of the
// view stores them.
std::vector<torvane::typPlacedOccurrence> PlacedAsShown(torvane::clsPartRoom& room) {
    std::vector<torvane::typPlacedOccurrence> placed;
    torvane::JointPoses::StoreSetBy(
        [&](torvane::JointPoses& poses) { placed = PlaceAtCurrentMotors(room, &poses); });
    return placed;
}

void AimCamera(QWidget& from, clsBots& bots, ViewPreset preset, const QString& done) {
    const auto room = bots.PartRooms().ActivePartRoom;
    if (!room) {
        ReportInStatusBar(from, "There is no part room to show.");
        return;
    }
    const ViewBox box = BoundingBox(PlacedMeshes(PlacedAsShown(*room)));
    if (box.Empty)
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "The part room " + room->Name() + " has no shapes to fit in the view.");
    bots.SetActiveCamera(FitCamera(room->PartData().Camera, box, LensOf(bots.GL()), preset), true);
    ReportInStatusBar(from, done + " " + QString::fromStdString(room->Name()) + ".");
}

}  // namespace

void MDIForm1::CreateViewMenu() {
    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("mnuView");
    view->menuAction()->setObjectName("mnuView");
    menuItems_.insert("mnuView", view->menuAction());
    struct Item {
        const char* name;
        const char* caption;
        void (MDIForm1::*command)();
        QKeySequence keys;
    };
    const Item items[] = {
        {"mnuFitToView", "&Fit to View", &MDIForm1::FitToView, QKeySequence(Qt::CTRL | Qt::Key_0)},
        {"mnuViewFront", "F&ront", &MDIForm1::ViewFront, QKeySequence(Qt::CTRL | Qt::Key_1)},
        {"mnuViewSide", "&Side", &MDIForm1::ViewSide, QKeySequence(Qt::CTRL | Qt::Key_2)},
        {"mnuViewTop", "&Top", &MDIForm1::ViewTop, QKeySequence(Qt::CTRL | Qt::Key_3)},
    };
    for (const Item& item : items) {
        QAction* action = AddMenuItem(view, item.name, item.caption, item.command);
        action->setShortcut(item.keys);
        // The keys work whichever child window has the focus.
        action->setShortcutContext(Qt::ApplicationShortcut);
        if (item.command == &MDIForm1::FitToView) view->addSeparator();
    }
    connect(&botView_->Surface(), &QtGlSurface::Clicked, this,
            [this](double x, double y) { RunReportingErrors([&] { PickAt(x, y); }); });
}

void MDIForm1::FitToView() {
    AimCamera(*this, bots_, ViewPreset::Fit, "Fitted the view to");
}
void MDIForm1::ViewFront() {
    AimCamera(*this, bots_, ViewPreset::Front, "Showing the front of");
}
void MDIForm1::ViewSide() {
    AimCamera(*this, bots_, ViewPreset::Side, "Showing the side of");
}
void MDIForm1::ViewTop() {
    AimCamera(*this, bots_, ViewPreset::Top, "Showing the top of");
}

void MDIForm1::PickAt(double x, double y) {
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room) return;
    const auto placed = PlacedAsShown(*room);
    const QSize size = botView_->Surface().PixelSize();
    const ViewRay ray = RayThroughPixel(room->PartData().Camera, LensOf(bots_.GL()), x, y,
                                        size.width(), size.height());
    const std::int32_t hit = PickOccurrence(PlacedMeshes(placed), ray);
    if (hit < 0) return;
    // The part's own subpart, however deep; the room's own shape selects the room itself.
    const std::vector<std::int32_t> path = SubPartPath(placed, hit);
    const auto [holder, position] = torvane::SubPartAtPath(room, path);
    if (!path.empty() && position == 0) return;
    room->SelectPath(path);
    bots_.Changes().Announce({ChangeKind::Selection, room.get(), this});
    ReportInStatusBar(*this,
                      position == 0
                          ? "Selected the part room " + QString::fromStdString(room->Name()) + "."
                          : "Selected the subpart " +
                                QString::fromStdString(holder->SubParts(position).Name()) + " of " +
                                QString::fromStdString(holder->Name()) + ".");
}

}  // namespace mechanon
