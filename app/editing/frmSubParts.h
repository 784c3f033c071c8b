#pragma once
// The subpart picker ("SubParts"): a strip of the part rooms that may be attached to the part
// being edited. A room is offered only when the part cannot be reached from it through
// subparts (it is not the part itself and contains it nowhere), so an attach can never make
// the structure cyclic. Clicking a room hands it to the part editor's PassSubPart and closes
// the picker. The part editor makes one picker for each Add SubPart and shows it modally. A
// line above the strip names the part and says what to do; the caption always shows whole.

#include <QDialog>
#include <QLabel>
#include <QStringList>
#include <memory>

#include "app/editing/ThumbnailStrip.h"
#include "model/VbArray.h"

namespace torvane {
class clsPartRoom;
}

namespace mechanon {

class clsBots;
class frmEditBot;

class frmSubParts : public QDialog {
    Q_OBJECT
  public:
    frmSubParts(clsBots& bots, frmEditBot& editor, QWidget* parent = nullptr);

    // The room a subpart is being chosen for.
    std::shared_ptr<torvane::clsPartRoom> Parent() const { return parent_; }
    void SetParent(std::shared_ptr<torvane::clsPartRoom> InParent) {
        parent_ = std::move(InParent);
    }

    // Fills the strip with the rooms that may be attached to InParent. When there is none it
    // says so and closes the picker.
    void SetUpSubPart(const std::shared_ptr<torvane::clsPartRoom>& InParent);

    // The names of the offered rooms, indices 1..count (one empty entry before any offer).
    const torvane::StringArray& OfferedNames() const { return offeredNames_; }
    ThumbnailStrip& Strip() const { return *strip_; }
    // The line above the strip that says what to do.
    QLabel* lblInstruction = nullptr;
    // The room position (number text) each thumbnail stands for, index 1..count.
    QString Tag(int index) const;

    // A click on thumbnail index: a room (index > 0) goes to the editor's PassSubPart; the
    // picker closes in every case.
    void PickThumbnail(int index);

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The pictures' height and, above them, the instruction's at the picker's width.
    int WantedHeight() const;

    clsBots& bots_;
    frmEditBot& editor_;
    std::shared_ptr<torvane::clsPartRoom> parent_;
    ThumbnailStrip* strip_ = nullptr;
    torvane::StringArray offeredNames_;
    QStringList tags_;
};

}  // namespace mechanon
