#pragma once
// The parts bar across the top of the main window: one thumbnail per part room, each the
// room's snapshot with its name, the active one framed. Clicking and the finer scrolling
// rules follow in their own change; what the rest of the program calls is here.

#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QWidget>
#include <vector>

#include "app/ChildWindow.h"

namespace mechanon {

class clsBots;

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
    void ZeroFrame();

    // Size of every thumbnail, pixels.
    QSize ThumbnailSize() const;
    // True when thumbnail index (1-based) lies wholly inside the visible part of the bar.
    bool ThumbnailFullyVisible(int index) const;
    // The room name printed over a picture at the top, as every thumbnail shows it.
    static QImage WithName(QImage picture, const QString& name, const QColor& color);
    // Shows picture on thumbnail index (1-based).
    void SetThumbnailPicture(int index, const QImage& picture);
    int ThumbnailCount() const { return static_cast<int>(picParts_.size()) - 1; }
    // The picture thumbnail index shows now.
    QImage ThumbnailPicture(int index) const;
    // The left edge and width of thumbnail index inside the strip, pixels.
    QRect ThumbnailGeometry(int index) const;

    QScrollBar* HScroll1 = nullptr;
    QWidget* Frame1 = nullptr;
    // Colour the names are printed in.
    QColor NameColor{0, 0, 128};

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* Thumbnail(int index) const { return picParts_.at(static_cast<size_t>(index)); }

    clsBots& bots_;
    QWidget* body_ = nullptr;
    // Element 0 is the template that never shows a room.
    std::vector<QLabel*> picParts_;
};

}  // namespace mechanon
