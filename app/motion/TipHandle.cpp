#include "app/motion/TipHandle.h"

#include <GL/gl.h>

#include <QMouseEvent>
#include <cmath>
#include <numbers>

#include "app/QtGlSurface.h"
#include "app/WindowPixelDrawing.h"
#include "app/clsBots.h"
#include "app/motion/ViewPlane.h"
#include "model/clsRooms.h"
#include "render/clsOpenGL.h"

namespace mechanon {
namespace {

ViewLens LensOf(const torvane::clsOpenGL& gl) {
    return {gl.FieldOfView(), gl.AspectRatio(), gl.NearClip(), gl.FarClip()};
}

void FillDisc(double x, double y, double radius) {
    constexpr int kSegments = 24;
    glBegin(GL_TRIANGLE_FAN);
    glVertex2d(x, y);
    for (int i = 0; i <= kSegments; ++i) {
        const double a = 2 * std::numbers::pi * i / kSegments;
        glVertex2d(x + radius * std::cos(a), y + radius * std::sin(a));
    }
    glEnd();
}

}  // namespace

TipHandle::TipHandle(clsBots& bots, QtGlSurface& surface, Hooks hooks)
    : bots_(bots), surface_(&surface), hooks_(std::move(hooks)) {}

TipHandle::~TipHandle() {
    if (!surface_) return;
    surface_->SetOverlay({});
    surface_->removeEventFilter(this);
}

void TipHandle::SetShown(bool shown) {
    if (shown == shown_ || !surface_) return;
    if (!shown && dragging_) EndDrag();
    shown_ = shown;
    if (shown) {
        surface_->SetOverlay([this] { Draw(); });
        surface_->installEventFilter(this);
    } else {
        surface_->SetOverlay({});
        surface_->removeEventFilter(this);
    }
    Refresh();
}

void TipHandle::Refresh() {
    // Nothing to show on a view that is not on screen (or whose GL has gone, as the program ends).
    if (surface_ && surface_->isExposed() && bots_.GL().HasContext())
        bots_.GL().DisplayWorldList(false);
}

double TipHandle::Scale() const {
    return surface_ ? surface_->devicePixelRatio() : 1.0;
}

std::optional<QPointF> TipHandle::Pixel() const {
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!shown_ || !surface_ || !room || !hooks_.Tip) return std::nullopt;
    const std::optional<torvane::typ3Point> tip = hooks_.Tip();
    if (!tip) return std::nullopt;
    const QSize size = surface_->PixelSize();
    const auto pixel = PixelOfPoint(room->PartData().Camera, LensOf(bots_.GL()), *tip, size.width(),
                                    size.height());
    if (!pixel) return std::nullopt;
    return QPointF(pixel->X, pixel->Y);
}

std::optional<QPointF> TipHandle::WindowPoint() const {
    const std::optional<QPointF> pixel = Pixel();
    if (!pixel) return std::nullopt;
    return *pixel / Scale();
}

bool TipHandle::eventFilter(QObject* watched, QEvent* event) {
    if (watched != surface_.data()) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            return mouse->button() == Qt::LeftButton && mouse->modifiers() == Qt::NoModifier &&
                   Press(mouse->position() * Scale());
        }
        case QEvent::MouseMove:
            if (!dragging_) return false;
            Move(static_cast<QMouseEvent*>(event)->position() * Scale());
            return true;
        case QEvent::MouseButtonRelease:
            if (!dragging_ || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
                return dragging_;
            EndDrag();
            return true;
        default:
            return false;
    }
}

bool TipHandle::Press(const QPointF& at) {
    const std::optional<QPointF> pixel = Pixel();
    if (!pixel) return false;
    const QPointF from = at - *pixel;
    if (std::hypot(from.x(), from.y()) > kGrabRadius * Scale()) return false;
    const auto room = bots_.PartRooms().ActivePartRoom;
    const std::optional<torvane::typ3Point> tip = hooks_.Tip();
    const QSize size = surface_->PixelSize();
    const auto under = PointOnViewPlane(room->PartData().Camera, LensOf(bots_.GL()), *tip, at.x(),
                                        at.y(), size.width(), size.height());
    if (!under) return false;
    plane_ = *tip;
    offset_ = {tip->X - under->X, tip->Y - under->Y, tip->Z - under->Z};
    dragging_ = true;
    if (hooks_.DragStarted) hooks_.DragStarted();
    return true;
}

void TipHandle::Move(const QPointF& at) {
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room || !surface_) return;
    const QSize size = surface_->PixelSize();
    const auto under = PointOnViewPlane(room->PartData().Camera, LensOf(bots_.GL()), plane_, at.x(),
                                        at.y(), size.width(), size.height());
    if (!under || !hooks_.DraggedTo) return;
    hooks_.DraggedTo({under->X + offset_.X, under->Y + offset_.Y, under->Z + offset_.Z});
}

void TipHandle::EndDrag() {
    dragging_ = false;
    if (hooks_.DragEnded) hooks_.DragEnded();
}

void TipHandle::Draw() const {
    std::optional<QPointF> pixel;
    try {
        pixel = Pixel();
    } catch (const std::exception&) {
        return;  // a robot that cannot be placed now shows no handle; the view says why elsewhere
    }
    if (!pixel || !surface_) return;
    const QSize size = surface_->PixelSize();
    const double x = pixel->x();
    const double y = size.height() - pixel->y();  // GL counts rows from the bottom
    const double radius = kRadius * Scale();
    const WindowPixelDrawing pixels(size.width(), size.height());
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    // A dark rim around a bright centre stands out on the white ground and on dark parts alike.
    glColor3d(0.1, 0.1, 0.1);
    FillDisc(x, y, radius);
    glColor3d(dragging_ ? 1.0 : 0.2, dragging_ ? 0.6 : 0.9, 0.1);
    FillDisc(x, y, radius * 0.7);
}

}  // namespace mechanon
