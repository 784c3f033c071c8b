#include "app/motion/frmMotorsProperties.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/Change.h"
#include "app/DocumentChanges.h"
#include "app/clsBots.h"
#include "app/motion/MotionCommand.h"
#include "app/motion/MultiLineTextBox.h"
#include "app/motion/RoomMotors.h"
#include "app/undo/MotorTableCommand.h"
#include "model/NumberText.h"
#include "model/clsRooms.h"
#include "motorio/SerialDevices.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {

frmMotorsProperties::frmMotorsProperties(clsBots& bots, QWidget* parent)
    : QDialog(parent), bots_(bots) {
    setObjectName("frmMotorsProperties");
    setWindowTitle("Motors Properties");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("VMax,AMax", this));
    auto* layoutHint =
        new QLabel("MotorName, BoneName,ComPort or device[,Scale[,MaxV,MaxA[,Lower,Upper]]]", this);
    layoutHint->setObjectName("lblLayout");
    layoutHint->setToolTip(
        "Lower,Upper: the travel the motor must stay within, in degrees or model units; an "
        "empty field for no limit at that end");
    layout->addWidget(layoutHint);
    txtProperties = new MultiLineTextBox("txtProperties", this);
    layout->addWidget(txtProperties, 1);
    cmbDevice = new QComboBox(this);
    cmbDevice->setObjectName("cmbDevice");
    cmbDevice->setToolTip("The serial device Add Motor writes as the new motor's port");
    layout->addWidget(cmbDevice);
    auto* buttons = new QHBoxLayout;
    Command3 = new QPushButton("Add Motor", this);
    Command3->setObjectName("Command3");
    Command2 = new QPushButton("OK", this);
    Command2->setObjectName("Command2");
    Command1 = new QPushButton("Cancel", this);
    Command1->setObjectName("Command1");
    for (QPushButton* b : {Command3, Command2, Command1}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    connect(Command3, &QPushButton::clicked, this,
            [this] { RunMotionCommand([this] { AddMotor(); }); });
    connect(Command2, &QPushButton::clicked, this, [this] { RunMotionCommand([this] { OK(); }); });
    connect(Command1, &QPushButton::clicked, this, [this] { reject(); });
}

void frmMotorsProperties::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    RunMotionCommand([this] {
        const auto room = bots_.PartRooms().ActivePartRoom;
        txtProperties->SetText(room ? torvane::MotorsTextOf(*room)
                                    : bots_.ToolPathControl().MotorsPropertiesString());
    });
    cmbDevice->clear();
    cmbDevice->addItem("Port by number");
    for (const std::string& device : torvane::SerialDevices())
        cmbDevice->addItem(QString::fromStdString(device));
}

void frmMotorsProperties::AddMotor() {
    std::string line = kNewMotorLine;
    if (cmbDevice->currentIndex() > 0)
        line = "X,none," + cmbDevice->currentText().toStdString() + ",1";
    std::string text = txtProperties->Text();
    if (text.empty()) {
        // The parser reads the first line as the default limits, so a list starts with them.
        const torvane::clsToolPath& toolPath = bots_.ToolPathControl();
        text = torvane::TrimmedNumberText(toolPath.cVMax) + "," +
               torvane::TrimmedNumberText(toolPath.cAMax) + "\r\n" + line;
    } else {
        text += "\r\n" + line;
    }
    txtProperties->SetText(text);
}

void frmMotorsProperties::OK() {
    const std::string text = txtProperties->Text();
    RefuseUnreadableMotorsText(text);
    // The list is the active room's, saved with the robot.
    if (const auto room = bots_.PartRooms().ActivePartRoom) {
        const torvane::typMotorMasks before = room->MotorMasks();
        torvane::typMotorMasks masks = before;
        masks.XMLProperties = torvane::MotorsTextToStore(*room, text);
        room->SetMotorMasks(masks);
        RecordMotorTable(bots_, room, "Motor List", before, false);
        // The windows that show the list, or the travel it gives, show the new one.
        bots_.Changes().Announce({ChangeKind::Texts, room.get(), this});
        UseActiveRoomMotors(bots_);
        accept();
        return;
    }
    torvane::clsToolPath& toolPath = bots_.ToolPathControl();
    const std::string previous = toolPath.MotorsPropertiesString();
    toolPath.MotorsPropertiesString(txtProperties->Text());
    try {
        // The parser checks the whole text before it changes anything.
        toolPath.ParseMotorsProperties(toolPath.MotorsPropertiesString());
    } catch (...) {
        toolPath.MotorsPropertiesString(previous);
        throw;
    }
    accept();
}

}  // namespace mechanon
