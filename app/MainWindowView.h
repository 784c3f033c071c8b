#pragma once
// The glue's view of the program's windows: the main window, its 3D view, part editor and parts
// bar answer what clsBots asks and show what it tells them.

#include "app/BotsView.h"

namespace mechanon {

class MDIForm1;
class frmBot;
class frmEditBot;
class frmPartsBar;

class MainWindowView final : public BotsView {
  public:
    MainWindowView(MDIForm1& main, frmBot& view, frmEditBot& editor, frmPartsBar& partsBar)
        : main_(main), view_(view), editor_(editor), partsBar_(partsBar) {}

    // The editor's "Show Selected In Red", while the program is on screen.
    bool HighlightSelection() const override;
    bool ProgramClosing() const override;
    void PictureShown() override;
    QSize ThumbnailWanted(int index) override;
    QSize ThumbnailSize() const override;
    QImage ThumbnailTaken(int index, const QImage& scaledFrame,
                          const std::string& roomName) override;
    void ShapesChanged() override;
    void SelectShape(const std::string& InShapeName) override;

  private:
    MDIForm1& main_;
    frmBot& view_;
    frmEditBot& editor_;
    frmPartsBar& partsBar_;
};

}  // namespace mechanon
