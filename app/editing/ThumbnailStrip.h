#pragma once
// The client area shared by the parts bar and the subpart picker: a frame holding a row of
// part-room thumbnails and a horizontal scroll bar that moves the frame. Thumbnail 0 is the
// template every other one copies (size, border, font) and never shows a room; thumbnails
// 1..Count() are placed left to right with a 50-twip gap when they are made and are never
// moved afterwards.

#include <QColor>
#include <QImage>
#include <QScrollBar>
#include <QWidget>
#include <vector>

#include "app/editing/PictureBox.h"
#include "app/editing/clsScrollFRame.h"

namespace mechanon {

class ThumbnailStrip : public QWidget {
    Q_OBJECT
  public:
    explicit ThumbnailStrip(QWidget* parent);

    // The highest thumbnail index (0 when only the template exists).
    int Count() const { return static_cast<int>(picParts_.size()) - 1; }
    // Makes or destroys thumbnails until exactly count exist; new ones are visible and placed.
    void SetCount(int count);
    // Thumbnail index, 0 being the template. A subscript error outside 0..Count().
    PictureBox& Thumbnail(int index) const;
    // Frame1's width becomes the right edge of the last thumbnail.
    void FitFrame();
    // The bar takes the client width less 100 twips at the bottom, then ZeroFrame.
    void LayOut();

    // Shows picture on thumbnail index (scaled to the thumbnail) with the name printed at its
    // top in the strip's name colour (elided when too long, whole in the thumbnail's tip); a
    // blank white picture when there is none.
    void ShowPicture(int index, const QImage* picture, const QString& name);
    // The picture thumbnail index shows now.
    QImage Picture(int index) const;

    // The room name printed over a picture at the top, as every thumbnail shows it.
    static QImage WithName(QImage picture, const QString& name, const QColor& color);

    // Size of every thumbnail, pixels.
    QSize ThumbnailSize() const;

    QWidget* Frame1 = nullptr;
    QScrollBar* HScroll1 = nullptr;
    clsScrollFRame ScrollFrame;
    // Colour the names are printed in.
    QColor NameColor{0, 0, 128};

  Q_SIGNALS:
    // A thumbnail (index 1..Count(), or 0 for the template) was clicked.
    void Clicked(int index);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    PictureBox* MakeThumbnail(int index);

    std::vector<PictureBox*> picParts_;  // owned by Frame1
};

}  // namespace mechanon
