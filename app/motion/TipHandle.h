#pragma once
// The handle at a chain's tip in the 3D view: a round marker drawn over the picture where the tip
// is, which the left mouse button drags. A press on the marker starts a drag of the tip instead
// of turning the camera; the drag moves a point across the view's plane through the marker (the
// depth of the tip when the press came), and the owner solves for each point. Presses elsewhere
// reach the view as before.

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <functional>
#include <optional>

#include "model/Records.h"

namespace mechanon {

class clsBots;
class QtGlSurface;

class TipHandle final : public QObject {
  public:
    struct Hooks {
        // Where the tip is now, in the room's frame; none when there is no tip to show.
        std::function<std::optional<torvane::typ3Point>()> Tip;
        std::function<void()> DragStarted;
        // The point the tip is dragged to, in the room's frame.
        std::function<void(const torvane::typ3Point&)> DraggedTo;
        // The button was let go, or the handle was hidden during the drag.
        std::function<void()> DragEnded;
    };

    // Pixels (at 96 dots per inch) of the marker's radius, and of the reach of a press around it.
    static constexpr double kRadius = 7;
    static constexpr double kGrabRadius = 11;

    TipHandle(clsBots& bots, QtGlSurface& surface, Hooks hooks);
    ~TipHandle() override;
    TipHandle(const TipHandle&) = delete;
    TipHandle& operator=(const TipHandle&) = delete;

    // Draws the marker and takes presses on it, or neither; the view is shown again at once.
    void SetShown(bool shown);
    bool Shown() const noexcept { return shown_; }
    bool Dragging() const noexcept { return dragging_; }
    // Where the marker is drawn, in the view's device pixels from the top left; none while it is
    // hidden, the tip is behind the eye or there is no tip.
    std::optional<QPointF> Pixel() const;
    // The same in the view window's own (logical) pixels, where mouse events arrive.
    std::optional<QPointF> WindowPoint() const;
    // Shows the view's frame again so that the marker follows the tip.
    void Refresh();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool Press(const QPointF& at);
    void Move(const QPointF& at);
    void EndDrag();
    void Draw() const;
    // Device pixels per logical pixel of the view.
    double Scale() const;

    clsBots& bots_;
    QPointer<QtGlSurface> surface_;
    Hooks hooks_;
    bool shown_ = false;
    bool dragging_ = false;
    torvane::typ3Point plane_;   // a point of the plane the drag moves across
    torvane::typ3Point offset_;  // from the point under the mouse to the tip, kept for the drag
};

}  // namespace mechanon
