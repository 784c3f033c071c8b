#include "app/motion/frmControlMotors.h"

#include "app/clsBots.h"
#include "model/NumberText.h"
#include "model/clsRooms.h"

namespace mechanon {

frmControlMotors::frmControlMotors(clsBots& bots, QWidget* parent)
    : ChildWindow(parent), bots_(bots) {
    setObjectName("frmControlMotors");
    setWindowTitle("Control Motors");
    motors_ = new QLabel(this);
    motors_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    setWidget(motors_);
}

void frmControlMotors::UpdateInterface() {
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room) {
        motors_->clear();
        return;
    }
    const torvane::typMotorMasks masks = room->MotorMasks();
    QString text;
    for (const auto& mask : masks.Masks.Items())
        text += QString::fromStdString(mask.Name + " =" + torvane::NumberText(mask.Value)) + "\n";
    motors_->setText(text);
}

}  // namespace mechanon
