#pragma once
// What the glue object needs of the windows, so that it holds none of them: whether the
// selection is highlighted, where the view's caption lines are rewritten and where a new
// thumbnail of a room goes. The main window implements it. Changes of the document reach the
// windows through DocumentChanges, not through this.

#include <QImage>
#include <QSize>
#include <string>

namespace mechanon {

class BotsView {
  public:
    virtual ~BotsView() = default;

    // Highlight on or off: the active room's selected subpart is drawn highlighted.
    virtual bool HighlightSelection() const = 0;
    // True once the started program's window has been closed: animations end early.
    virtual bool ProgramClosing() const = 0;
    // The active room has been drawn in full from its camera: the view's caption lines follow.
    virtual void PictureShown() = 0;
    // The thumbnail sink. ThumbnailWanted: the size of room position index's thumbnail when a
    // new one is to be taken (it is wholly visible; the 3D view is then shown so that its frame
    // can be read), or an empty size. ThumbnailTaken: the view's frame scaled to that size; the
    // sink puts the room's name on it, shows it and returns the finished picture.
    virtual QSize ThumbnailWanted(int index) = 0;
    virtual QImage ThumbnailTaken(int index, const QImage& scaledFrame,
                                  const std::string& roomName) = 0;
    // The size of every thumbnail, wholly visible or not; empty when there are none.
    virtual QSize ThumbnailSize() const = 0;
    // The shape catalogue changed: the editor refills its list. SelectShape selects a name in it.
    virtual void ShapesChanged() = 0;
    virtual void SelectShape(const std::string& InShapeName) = 0;
};

}  // namespace mechanon
