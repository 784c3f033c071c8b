#include "app/editing/frmEditBot.h"

#include <QVBoxLayout>
#include <QWidget>

#include "app/clsBots.h"
#include "model/clsRooms.h"

namespace mechanon {

frmEditBot::frmEditBot(clsBots& bots, QWidget* parent) : ChildWindow(parent), bots_(bots) {
    setObjectName("frmEditBot");
    setWindowTitle("Edit Skeleton");
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    summary_ = new QLabel(body);
    summary_->setObjectName("TreeView1");
    summary_->setWordWrap(true);
    summary_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    chkReddenSelection = new QCheckBox("Show Selected In Red", body);
    chkReddenSelection->setObjectName("chkReddenSelection");
    chkReddenSelection->setChecked(true);
    cmbShape = new QComboBox(body);
    cmbShape->setObjectName("cmbShape");
    layout->addWidget(summary_, 1);
    layout->addWidget(chkReddenSelection);
    layout->addWidget(cmbShape);
    setWidget(body);
}

void frmEditBot::UpdateInterface() {
    const auto room = bots_.PartRooms().ActivePartRoom;
    setWindowTitle(room ? QString("Edit ") + QString::fromStdString(room->Name())
                        : QString("Edit Skeleton"));
}

void frmEditBot::UpdateTree() {
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room) {
        summary_->clear();
        return;
    }
    QString text = QString::fromStdString(room->Name());
    for (const auto& sub : room->SubParts)
        text += "\n    " + QString::fromStdString(sub->Name());
    summary_->setText(text);
}

void frmEditBot::UpdateShapesBox() {
    cmbShape->clear();
    const auto shapes = bots_.PartRooms().Shapes;
    if (!shapes) return;
    for (const QString& name : QString::fromStdString(shapes->ShapeNames()).split(','))
        if (!name.trimmed().isEmpty()) cmbShape->addItem(name.trimmed());
}

}  // namespace mechanon
