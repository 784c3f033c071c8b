#pragma once
// The part editor's window in its place on the left of the main window. It already offers
// what the rest of the program calls on it (refreshes, the shape list, the selection
// highlight box); the editing fields follow in their own change.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <memory>

#include "app/ChildWindow.h"

namespace torvane {
class clsPartRoom;
}

namespace mechanon {

class clsBots;

class frmEditBot : public ChildWindow {
    Q_OBJECT
public:
    explicit frmEditBot(clsBots& bots, QWidget* parent = nullptr);

    // Copies the active part room into the window.
    void UpdateInterface();
    // Rebuilds the tree of the part room and its subparts.
    void UpdateTree();
    // Refills the shape list from the shapes object's catalogue.
    void UpdateShapesBox();

    QComboBox* cmbShape = nullptr;
    QCheckBox* chkReddenSelection = nullptr;
    // The room chosen in the subpart picker.
    std::shared_ptr<torvane::clsPartRoom> PassSubPart;

private:
    clsBots& bots_;
    QLabel* summary_ = nullptr;
};

}  // namespace mechanon
