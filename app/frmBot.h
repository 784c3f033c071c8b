#pragma once
// The 3D view ("Bot View"): a child window whose client area is the GL drawable. It replays
// the world list on paint, resizes the GL viewport, writes the room and subpart caption lines
// over the picture, and turns mouse drags and the wheel into changes of the active room's
// camera. It draws the active room anew whenever the document announces a change that shows.

#include <QStringList>
#include <QTimer>

#include "app/ChildWindow.h"
#include "model/Records.h"
#include "motorio/Event.h"

namespace mechanon {

class clsBots;
class QtGlSurface;
struct Change;

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

    // Draws what a change of the document did: in full with the room's new thumbnail, or, for a
    // live change (a drag of the camera or of a slider, a path animated or driven), the quick
    // picture only; a camera is shown without compiling anything, new motor values by placing
    // the moving parts where their joints put them. The exact picture follows when the change
    // settles, and by itself once no live change has come for kSettleMilliseconds.
    void ShowChange(const Change& change);
    static constexpr int kSettleMilliseconds = 120;

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
    QTimer settle_;  // the exact picture after the last of a run of live changes
    torvane::Subscription changes_;
};

}  // namespace mechanon
