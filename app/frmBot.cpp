#include "app/frmBot.h"

#include "app/CameraNavigation.h"
#include "app/QtGlSurface.h"
#include "app/clsBots.h"
#include "model/Error.h"
#include "model/clsRooms.h"
#include "platform/UserInterface.h"
#include "render/clsOpenGL.h"
#include "shapes/LabelGlyphs.h"

namespace mechanon {

frmBot::frmBot(clsBots& bots, QWidget* parent) : ChildWindow(parent), bots_(bots) {
    setObjectName("frmBot");
    setWindowTitle("Bot View");
    surface_ = new QtGlSurface;
    QWidget* container = QWidget::createWindowContainer(surface_, this);
    container->setObjectName("BotViewContainer");
    container->setMinimumSize(16, 16);
    setWidget(container);

    connect(surface_, &QtGlSurface::PaintRequested, this, &frmBot::OnPaint);
    connect(surface_, &QtGlSurface::Resized, this, &frmBot::OnResize);
    // On another screen the labels take that screen's size.
    connect(surface_, &QWindow::screenChanged, this, [this] {
        if (!bots_.GL().HasContext() || !surface_->MakeCurrentForCompiling()) return;
        primora::ScaleLabelGlyphs(surface_->LabelDotSize());
        bots_.GL().ForgetShownFrame();  // the list calls the glyphs: the kept frame is stale
        surface_->requestUpdate();
    });
    auto active = [this]() -> const torvane::clsPartRoom* {
        return bots_.PartRooms().ActivePartRoom.get();
    };
    auto camera = [this, active] { return active()->PartData().Camera; };
    connect(surface_, &QtGlSurface::OrbitRequested, this, [this, active, camera](int dx, int dy) {
        if (active()) Navigate(Orbit(camera(), dx, dy));
    });
    connect(surface_, &QtGlSurface::PanRequested, this, [this, active, camera](int dx, int dy) {
        if (active()) Navigate(Pan(camera(), dx, dy, surface_->PixelSize().height()));
    });
    connect(surface_, &QtGlSurface::ZoomRequested, this, [this, active, camera](int delta) {
        if (active()) Navigate(Zoom(camera(), delta));
    });
    connect(surface_, &QtGlSurface::NavigationFinished, this, [this, active] {
        if (!active()) return;
        try {
            bots_.SetActiveCamera(active()->PartData().Camera, true);
        } catch (const std::exception& e) {
            torvane::Host().MsgBox(e.what(), torvane::MsgButtons::OK);
        }
    });
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMilliseconds);
    connect(&settle_, &QTimer::timeout, this, [this] {
        try {
            bots_.SettlePicture();
        } catch (const std::exception& e) {
            torvane::Host().MsgBox(e.what(), torvane::MsgButtons::OK);
        }
    });
    changes_ = bots_.Changes().Subscribe([this](const Change& change) { ShowChange(change); });
}

void frmBot::ShowChange(const Change& change) {
    Redraw how = Redraw::Compile;
    switch (change.Kind) {
        case ChangeKind::RoomMoved:
        case ChangeKind::Texts:
            return;  // nothing the picture shows
        case ChangeKind::Camera:
            how = Redraw::Camera;
            break;
        case ChangeKind::MotorValues:
            how = Redraw::Place;
            break;
        default:
            break;
    }
    if (change.Live)
        settle_.start();
    else
        settle_.stop();
    bots_.ShowChange(how, change.Live);
}

void frmBot::Navigate(const torvane::typCamera& camera) {
    try {
        bots_.SetActiveCamera(camera, false);
    } catch (const std::exception& e) {
        torvane::Host().MsgBox(e.what(), torvane::MsgButtons::OK);
    }
}

QStringList frmBot::CaptionLines() const {
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room) return {};
    QStringList lines{"Room=" + QString::fromStdString(room->Name())};
    if (const auto [holder, position] = torvane::SubPartAtPath(room, room->SelectedPath());
        position > 0)
        lines << "SubPart=" + QString::fromStdString(holder->SubParts(position).Name());
    return lines;
}

void frmBot::RewriteText() {
    const QStringList lines = CaptionLines();
    surface_->SetCaptionLines(lines);
    // The lines are drawn into each frame just before it is shown; when they changed since
    // the frame on screen, show the frame again with the new lines.
    if (lines != surface_->ShownCaptionLines()) bots_.GL().DisplayWorldList(false);
}

void frmBot::OnPaint() {
    try {
        // A resize seen while the view could not be drawn (not yet exposed, or before the
        // context existed) left the viewport behind; each frame is drawn at the size it has now.
        const QSize size = surface_->PixelSize();
        bots_.GL().SizeToWindow(size.width(), size.height());
        bots_.GL().DisplayWorldList(false);
        RewriteText();
    } catch (const std::exception& e) {
        torvane::Host().MsgBox(e.what(), torvane::MsgButtons::OK);
    }
}

void frmBot::OnResize(int W, int H) {
    try {
        bots_.GL().SizeToWindow(W, H);
        // A shrink brings no paint request, so the view is redrawn here. A grow is meant to
        // bring one, but the window system does not always send it (the expose can come before
        // the new size), so a repaint is asked for as well.
        if (W <= lastWidth_ && H <= lastHeight_)
            bots_.GL().DisplayWorldList(false);
        else
            surface_->requestUpdate();
        lastWidth_ = W;
        lastHeight_ = H;
    } catch (const std::exception& e) {
        torvane::Host().MsgBox(e.what(), torvane::MsgButtons::OK);
        return;
    }
    try {
        RewriteText();
    } catch (const std::exception&) {
        // Caption lines during a resize are best effort: the next paint writes them again.
    }
}

}  // namespace mechanon
