#include "app/QtGlSurface.h"

#include <GL/gl.h>

#include <QExposeEvent>
#include <QFont>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/WindowPixelDrawing.h"
#include "shapes/LabelGlyphs.h"

namespace mechanon {

namespace {
// A press and release that moved less than this is a click, not a drag.
constexpr int kClickSlopPixels = 3;

// The density at which one pixel of text is one device pixel.
constexpr double kTextDotsPerInch = 96;
// The caption lines' letter size and the grid labels' dot size at that density, pixels.
constexpr int kCaptionPixels = 13;
constexpr double kLabelDotsAtTextScale1 = 2;

}  // namespace

QtGlSurface::QtGlSurface() {
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(FormatFor(torvane::GlPixelFormat{}));
    create();
}

QtGlSurface::~QtGlSurface() {
    DestroyContext();
}

QSurfaceFormat QtGlSurface::FormatFor(const torvane::GlPixelFormat& wanted) {
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setProfile(QSurfaceFormat::CompatibilityProfile);
    f.setVersion(2, 1);
    const int perChannel = std::max(1, wanted.colorBits / 3);
    f.setRedBufferSize(perChannel);
    f.setGreenBufferSize(perChannel);
    f.setBlueBufferSize(perChannel);
    f.setDepthBufferSize(wanted.depthBits);
    f.setSwapBehavior(wanted.doubleBuffered ? QSurfaceFormat::DoubleBuffer
                                            : QSurfaceFormat::SingleBuffer);
    return f;
}

bool QtGlSurface::ChooseFormat(const torvane::GlPixelFormat& wanted) {
    // Only RGBA drawables exist here; the toolkit picks the closest format at creation.
    if (!wanted.rgba) return false;
    setFormat(FormatFor(wanted));
    return true;
}

bool QtGlSurface::CreateContext() {
    DestroyContext();
    auto context = std::make_unique<QOpenGLContext>();
    context->setFormat(format());
    if (!context->create()) return false;
    context_ = std::move(context);
    return MakeCurrentForCompiling();
}

bool QtGlSurface::MakeCurrent() {
    return isExposed() && MakeCurrentForCompiling();
}

bool QtGlSurface::MakeCurrentForCompiling() {
    return context_ && context_->makeCurrent(this);
}

void QtGlSurface::DoneCurrent() {
    if (context_) context_->doneCurrent();
}

void QtGlSurface::DestroyContext() {
    if (!context_) return;
    context_->doneCurrent();
    context_.reset();
}

QSize QtGlSurface::PixelSize() const {
    const qreal ratio = devicePixelRatio();
    return {static_cast<int>(std::lround(width() * ratio)),
            static_cast<int>(std::lround(height() * ratio))};
}

double QtGlSurface::TextScale() const {
    const QScreen* shown = screen();
    const double density = shown ? shown->logicalDotsPerInchY() / kTextDotsPerInch : 1.0;
    return devicePixelRatio() * std::max(density, 0.5);
}

int QtGlSurface::LabelDotSize() const {
    return std::clamp(static_cast<int>(std::lround(kLabelDotsAtTextScale1 * TextScale())), 1,
                      primora::kMaxLabelDotSize);
}

void QtGlSurface::SwapBuffers() {
    if (!context_ || !isExposed()) return;
    DrawCaptionLines();
    if (overlay_) overlay_();
    context_->swapBuffers(this);
    // The view keeps its context current for the rest of the run.
    context_->makeCurrent(this);
    shownCaptionLines_ = captionLines_;
    ++framesShown_;
}

torvane::GlImage QtGlSurface::ReadBackBuffer() {
    const QImage image = ReadBackImage().convertToFormat(QImage::Format_RGB888);
    torvane::GlImage out;
    out.width = image.width();
    out.height = image.height();
    out.rgb.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 3);
    for (int y = 0; y < out.height; ++y)
        std::copy_n(image.constScanLine(y), out.width * 3,
                    out.rgb.begin() + static_cast<std::ptrdiff_t>(y) * out.width * 3);
    return out;
}

QImage QtGlSurface::ReadBackImage() {
    const QSize size = PixelSize();
    if (!context_ || size.isEmpty()) return {};
    QImage image(size, QImage::Format_RGBA8888);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, size.width(), size.height(), GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    // GL rows run bottom to top.
    return image.mirrored(false, true).convertToFormat(QImage::Format_RGB32);
}

void QtGlSurface::DrawCaptionLines() {
    if (captionLines_.isEmpty()) return;
    const QSize size = PixelSize();
    if (size.isEmpty()) return;
    QFont font;
    font.setPixelSize(static_cast<int>(std::lround(kCaptionPixels * TextScale())));
    const QFontMetrics metrics(font);
    int textWidth = 1;
    for (const QString& line : captionLines_)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line) + 4);
    const int textHeight = metrics.height() * static_cast<int>(captionLines_.size()) + 2;
    QImage text(std::min(textWidth, size.width()), std::min(textHeight, size.height()),
                QImage::Format_RGBA8888);
    text.fill(Qt::transparent);
    {
        QPainter painter(&text);
        painter.setFont(font);
        painter.setPen(Qt::black);
        int y = metrics.ascent() + 1;
        for (const QString& line : captionLines_) {
            painter.drawText(2, y, line);
            y += metrics.height();
        }
    }
    text = text.mirrored(false, true);

    // Drawn in window coordinates with the scene's state saved and restored around it.
    const WindowPixelDrawing pixels(size.width(), size.height());
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glRasterPos2i(0, size.height() - text.height());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glDrawPixels(text.width(), text.height(), GL_RGBA, GL_UNSIGNED_BYTE, text.constBits());
}

bool QtGlSurface::event(QEvent* event) {
    if (event->type() == QEvent::UpdateRequest) {
        if (isExposed()) Q_EMIT PaintRequested();
        return true;
    }
    return QWindow::event(event);
}

void QtGlSurface::exposeEvent(QExposeEvent*) {
    if (isExposed()) Q_EMIT PaintRequested();
}

void QtGlSurface::resizeEvent(QResizeEvent*) {
    const QSize size = PixelSize();
    Q_EMIT Resized(size.width(), size.height());
}

void QtGlSurface::mousePressEvent(QMouseEvent* event) {
    lastMouse_ = event->position().toPoint();
    dragLength_ = 0;
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    if (event->button() == Qt::LeftButton)
        drag_ = shift ? Drag::Pan : Drag::Orbit;
    else if (event->button() == Qt::MiddleButton)
        drag_ = Drag::Pan;
}

void QtGlSurface::mouseMoveEvent(QMouseEvent* event) {
    if (drag_ == Drag::None) return;
    const QPoint now = event->position().toPoint();
    const QPoint delta = now - lastMouse_;
    lastMouse_ = now;
    if (delta.isNull()) return;
    dragLength_ += delta.manhattanLength();
    if (drag_ == Drag::Orbit)
        Q_EMIT OrbitRequested(delta.x(), delta.y());
    else
        Q_EMIT PanRequested(delta.x(), delta.y());
}

void QtGlSurface::mouseReleaseEvent(QMouseEvent* event) {
    if (drag_ == Drag::None) return;
    const bool click =
        drag_ == Drag::Orbit && event->button() == Qt::LeftButton && dragLength_ < kClickSlopPixels;
    drag_ = Drag::None;
    Q_EMIT NavigationFinished();
    if (click) {
        const QPointF at = event->position() * devicePixelRatio();
        Q_EMIT Clicked(at.x(), at.y());
    }
}

void QtGlSurface::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) return;
    Q_EMIT ZoomRequested(delta);
    Q_EMIT NavigationFinished();
}

}  // namespace mechanon
