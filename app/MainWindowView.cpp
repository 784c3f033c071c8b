#include "app/MainWindowView.h"

#include "app/MDIForm1.h"
#include "app/editing/frmEditBot.h"
#include "app/editing/frmPartsBar.h"
#include "app/frmBot.h"

namespace mechanon {

bool MainWindowView::HighlightSelection() const {
    return main_.isVisible() && editor_.chkReddenSelection->isChecked();
}

bool MainWindowView::ProgramClosing() const {
    return main_.Loaded && !main_.isVisible();
}

void MainWindowView::PictureShown() {
    view_.RewriteText();
}

QSize MainWindowView::ThumbnailWanted(int index) {
    if (!partsBar_.ThumbnailFullyVisible(index)) return {};
    view_.show();
    return partsBar_.ThumbnailSize();
}

QSize MainWindowView::ThumbnailSize() const {
    return partsBar_.ThumbnailSize();
}

QImage MainWindowView::ThumbnailTaken(int index, const QImage& scaledFrame,
                                      const std::string& roomName) {
    const QImage thumbnail =
        frmPartsBar::WithName(scaledFrame, QString::fromStdString(roomName), partsBar_.NameColor);
    partsBar_.SetThumbnailPicture(index, thumbnail);
    return thumbnail;
}

void MainWindowView::ShapesChanged() {
    editor_.UpdateShapesBox();
}

void MainWindowView::SelectShape(const std::string& InShapeName) {
    editor_.SelectShape(InShapeName);
}

}  // namespace mechanon
