#pragma once
// The 3D view ("Bot View"): a child window whose client area is the GL drawable. It replays
// the world list on paint, resizes the GL viewport, writes the room and subpart caption lines
// over the picture, and turns mouse drags and the wheel into changes of the active room's
// camera.

#include <QStringList>

#include "app/ChildWindow.h"
#include "model/Records.h"

namespace mechanon {

class clsBots;
class QtGlSurface;

class frmBot : public ChildWindow {
    Q_OBJECT
  public:
    explicit frmBot(clsBots& bots, QWidget* parent = nullptr);

    QtGlSurface& Surface() const { return *surface_; }

    // The caption lines for the active room: "Room=" and its name, and "SubPart=" with the
    // selected subpart's name when one is selected.
    QStringList CaptionLines() const;
    // Writes the caption lines over the view.
    void RewriteText();

    // The event handlers of the drawable.
    void OnPaint();
    void OnResize(int W, int H);

    // The last drawable size seen by the resize handler, pixels.
    int LastWidth() const { return lastWidth_; }
    int LastHeight() const { return lastHeight_; }

  private:
    void Navigate(const torvane::typCamera& camera);

    clsBots& bots_;
    QtGlSurface* surface_ = nullptr;  // owned by its window container
    int lastWidth_ = 0;
    int lastHeight_ = 0;
};

}  // namespace mechanon
