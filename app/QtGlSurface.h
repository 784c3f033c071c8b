#pragma once
// The drawable of the 3D view: a QWindow with its own OpenGL context, embedded in the view's
// MDI child through a window container. Drawing is synchronous: the caller makes the context
// current, draws, and the surface swaps at once; nothing is drawn while the window is not
// exposed. The caption lines of the view are drawn into the back buffer just before each
// swap, so they sit over the picture and last until the next frame. Mouse and wheel events
// arrive here and are passed on as navigation requests.

#include <QImage>
#include <QOpenGLContext>
#include <QPoint>
#include <QStringList>
#include <QWindow>
#include <functional>
#include <memory>
#include <utility>

#include "platform/GlSurface.h"

namespace mechanon {

class QtGlSurface : public QWindow, public torvane::GlSurface {
    Q_OBJECT
  public:
    QtGlSurface();
    ~QtGlSurface() override;

    // The format for a request: RGBA with the wanted colour and depth bits, double buffered,
    // a compatibility context with the fixed-function pipeline.
    static QSurfaceFormat FormatFor(const torvane::GlPixelFormat& wanted);

    bool ChooseFormat(const torvane::GlPixelFormat& wanted) override;
    // Creates the context; false when the platform offers no OpenGL.
    bool CreateContext() override;
    bool HasContext() const override { return context_ != nullptr; }
    // False while the window is not exposed: nothing can be shown then.
    bool MakeCurrent() override;
    // Makes the context current even while the window is hidden, so display lists can be
    // compiled at any time.
    bool MakeCurrentForCompiling() override;
    void DoneCurrent() override;
    void DestroyContext() override;
    // Shows the back buffer (after drawing the caption lines into it). Skipped while the
    // window is not exposed.
    void SwapBuffers() override;
    // The back buffer as it is now, top row first; call after drawing and before SwapBuffers.
    torvane::GlImage ReadBackBuffer() override;
    // The same pixels as an image.
    QImage ReadBackImage();
    // Drawable size in device pixels.
    QSize PixelSize() const;
    // Device pixels per pixel of text at 96 dots per inch: the screen's scale times its
    // logical density, so text over the view grows as the desktop's text does.
    double TextScale() const;
    // The dot size of the grid labels' bitmap font on this screen (2 at 96 dots per inch).
    int LabelDotSize() const;

    void SetCaptionLines(const QStringList& lines) { captionLines_ = lines; }
    const QStringList& CaptionLines() const { return captionLines_; }
    // The caption lines drawn into the frame last shown.
    const QStringList& ShownCaptionLines() const { return shownCaptionLines_; }
    // Draws over each frame just before it is shown, after the caption lines, with the context
    // current (a marker that is not part of the robot's picture); none when empty.
    void SetOverlay(std::function<void()> draw) { overlay_ = std::move(draw); }

    // Frames swapped onto the screen since creation.
    int FramesShown() const { return framesShown_; }

    QOpenGLContext* Context() const { return context_.get(); }

  Q_SIGNALS:
    // The window became visible, needs repainting, or a repaint was asked for.
    void PaintRequested();
    // The drawable changed size (device pixels).
    void Resized(int width, int height);
    // Mouse navigation in pixels of drag, and wheel steps (120 = one notch, positive away
    // from the user).
    void OrbitRequested(int dx, int dy);
    void PanRequested(int dx, int dy);
    void ZoomRequested(int wheelDelta);
    // A drag or a burst of wheel steps has ended.
    void NavigationFinished();
    // The left button was pressed and let go without a drag, at this point (device pixels).
    void Clicked(double x, double y);

  protected:
    // An update request (requestUpdate) is answered as a paint request.
    bool event(QEvent* event) override;
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    enum class Drag { None, Orbit, Pan };
    void DrawCaptionLines();

    std::unique_ptr<QOpenGLContext> context_;
    QStringList captionLines_;
    QStringList shownCaptionLines_;
    std::function<void()> overlay_;
    int framesShown_ = 0;
    Drag drag_ = Drag::None;
    QPoint lastMouse_;
    int dragLength_ = 0;  // pixels moved since the press, along both axes
};

}  // namespace mechanon
