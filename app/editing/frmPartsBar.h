#pragma once
// The parts bar across the top of the main window: one thumbnail per part room, each the
// room's snapshot with its name printed at the top, the active one framed. Clicking a
// thumbnail makes that room the active room. The bar follows the document's changes of its
// rooms; a room's new picture comes from the view as it draws it.

#include <QImage>
#include <QScrollBar>
#include <QWidget>

#include "app/ChildWindow.h"
#include "app/editing/ThumbnailStrip.h"
#include "motorio/Event.h"

namespace mechanon {

class clsBots;
struct Change;

// The parts bar's height in the main window, twips: a row of thumbnails above its scroll bar.
inline constexpr double kPartsBarHeightTwips = 1800;

class frmPartsBar : public ChildWindow {
    Q_OBJECT
  public:
    explicit frmPartsBar(clsBots& bots, QWidget* parent = nullptr);

    // Brings the thumbnails in line with the rooms and shows every room's snapshot and name.
    void UpdatePics();
    // Frames the active room's thumbnail only.
    void SetBorderStyle();
    // Prints the active room's name on its thumbnail.
    void RewriteText();
    // Moves the strip back to the left and recomputes the scroll range.
    void ZeroFrame() { strip_->ScrollFrame.ZeroFrame(); }
    clsScrollFRame& ScrollFrame() const { return strip_->ScrollFrame; }

    // What a thumbnail click does: room index becomes the active room, and the editor, the
    // bar, the motor control window and the 3D view follow.
    void ActivateRoom(int index);
    // Shows what a change of the document did to the rooms: their thumbnails, names and order,
    // the active one framed.
    void ShowChange(const Change& change);

    // Size of every thumbnail, pixels.
    QSize ThumbnailSize() const { return strip_->ThumbnailSize(); }
    // True when thumbnail index (1-based) lies wholly inside the visible part of the bar.
    bool ThumbnailFullyVisible(int index) const;
    // The room name printed over a picture at the top, as every thumbnail shows it.
    static QImage WithName(QImage picture, const QString& name, const QColor& color) {
        return ThumbnailStrip::WithName(std::move(picture), name, color);
    }
    // Shows picture on thumbnail index (1-based) as it is (the name is already on it).
    void SetThumbnailPicture(int index, const QImage& picture);
    int ThumbnailCount() const { return strip_->Count(); }
    // The picture thumbnail index shows now.
    QImage ThumbnailPicture(int index) const { return strip_->Picture(index); }
    // The place of thumbnail index inside the strip, pixels.
    QRect ThumbnailGeometry(int index) const { return strip_->Thumbnail(index).geometry(); }
    ThumbnailStrip& Strip() const { return *strip_; }

    QScrollBar* HScroll1 = nullptr;
    QWidget* Frame1 = nullptr;
    // Colour the names are printed in.
    QColor NameColor{0, 0, 128};

  private:
    // The strip moved to its end, where a new room's thumbnail is.
    void ShowLastThumbnail();

    clsBots& bots_;
    ThumbnailStrip* strip_ = nullptr;
    torvane::Subscription changes_;
};

}  // namespace mechanon
