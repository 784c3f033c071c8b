#include "RandomEdits.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <fstream>
#include <iterator>

#include "app/CameraNavigation.h"
#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/editing/frmEditBot.h"
#include "app/editing/frmPartsBar.h"
#include "app/editing/frmSubParts.h"
#include "app/motion/MultiLineTextBox.h"
#include "app/motion/frmControlMotors.h"
#include "model/NumberText.h"
#include "model/RobotFile.h"
#include "model/clsRooms.h"
#include "platform/ScriptedUserInterface.h"

namespace mechanon::testing {
namespace {

QString Number(double value) {
    return QString::fromStdString(torvane::TrimmedNumberText(value));
}

}  // namespace

RandomEdits::RandomEdits(MDIForm1& main, clsBots& bots, torvane::ScriptedUserInterface& ui,
                         unsigned seed)
    : main_(main), bots_(bots), ui_(ui), rng_(seed) {}

int RandomEdits::Rooms() const {
    return bots_.PartRooms().TotalRooms;
}

int RandomEdits::SubParts(int room) const {
    return bots_.PartRooms().Rooms(room)->SubParts.Count();
}

void RandomEdits::Select(int room, int node) const {
    main_.PartsBar().ActivateRoom(room);
    main_.EditBot().NodeClicked(node);
}

RandomEdits::Edit RandomEdits::Next() {
    using Maker = Edit (RandomEdits::*)();
    static constexpr Maker kKinds[] = {
        &RandomEdits::CreateRoom,    &RandomEdits::DeleteRoom,    &RandomEdits::MoveRoom,
        &RandomEdits::PartFields,    &RandomEdits::RenameRoom,    &RandomEdits::Motor,
        &RandomEdits::AddSubPart,    &RandomEdits::DeleteSubPart, &RandomEdits::MoveSubPart,
        &RandomEdits::SubPartFields, &RandomEdits::Camera,        &RandomEdits::MaskValue,
        &RandomEdits::ToolPathText,
    };
    for (;;) {
        const Maker maker = kKinds[Pick(static_cast<int>(std::size(kKinds))) - 1];
        if (Edit edit = (this->*maker)()) return edit;
    }
}

RandomEdits::Edit RandomEdits::CreateRoom() {
    if (Rooms() > 14) return {};
    // A new room starts from the camera of the room shown, so the edit says which that is.
    return [this, name = Fresh("Room "), shown = Pick(Rooms())] {
        Select(shown, 1);
        ui_.inputAnswers.push_back(name);
        main_.MenuItem("mnuCreatePartRoom")->trigger();
    };
}

RandomEdits::Edit RandomEdits::DeleteRoom() {
    if (Rooms() < 4) return {};
    return [this, room = Pick(Rooms())] {
        Select(room, 1);
        ui_.messageAnswers.push_back(torvane::MsgAnswer::OK);
        main_.MenuItem("mnuDeletePartRoom")->trigger();
    };
}

RandomEdits::Edit RandomEdits::MoveRoom() {
    if (Rooms() < 2) return {};
    const int room = Pick(Rooms() - 1);
    const bool right = Pick(2) == 1;
    return [this, room = right ? room : room + 1, right] {
        Select(room, 1);
        main_.MenuItem(right ? "mnuMoveRoomRight" : "mnuMoveLeft")->trigger();
    };
}

RandomEdits::Edit RandomEdits::PartFields() {
    const QString size = Number(Value() + 11) + ", " + Number(Value() + 11) + ", 1";
    const QString position = Number(Value()) + ", 0, " + Number(Value());
    return [this, room = Pick(Rooms()), size, position, text = Fresh("Notes ")] {
        Select(room, 1);
        frmEditBot& editor = main_.EditBot();
        editor.txtSize->setText(size);
        editor.txtPosition->setText(position);
        editor.txtDescription->setPlainText(QString::fromStdString(text));
        editor.Apply();
    };
}

RandomEdits::Edit RandomEdits::RenameRoom() {
    return [this, room = Pick(Rooms()), name = Fresh("Renamed ")] {
        Select(room, 1);
        main_.EditBot().txtName->setText(QString::fromStdString(name));
        main_.EditBot().Apply();
    };
}

RandomEdits::Edit RandomEdits::Motor() {
    return [this, room = Pick(Rooms()), kind = Pick(3), axis = Pick(3)] {
        Select(room, 1);
        frmEditBot& editor = main_.EditBot();
        QRadioButton* const kinds[] = {editor.optNone, editor.optLinear, editor.optRotational};
        QRadioButton* const axes[] = {editor.optOne, editor.optTwo, editor.optThree};
        kinds[kind - 1]->click();
        axes[axis - 1]->click();
    };
}

RandomEdits::Edit RandomEdits::AddSubPart() {
    auto& rooms = bots_.PartRooms();
    const int holder = Pick(Rooms());
    const int used = Pick(Rooms());
    if (rooms.Rooms(used)->CanReach(*rooms.Rooms(holder)) || SubParts(holder) > 5) return {};
    return [this, holder, used, name = Fresh("Use ")] {
        Select(holder, 1);
        frmEditBot& editor = main_.EditBot();
        editor.ShowPickerModal = [this, &editor, used](frmSubParts&) {
            editor.PassSubPart = bots_.PartRooms().Rooms(used);
        };
        ui_.inputAnswers.push_back(name);
        editor.AddSubPart();
    };
}

RandomEdits::Edit RandomEdits::DeleteSubPart() {
    const int holder = Pick(Rooms());
    if (SubParts(holder) == 0) return {};
    return [this, holder, sub = Pick(SubParts(holder))] {
        Select(holder, sub + 1);
        ui_.messageAnswers.push_back(torvane::MsgAnswer::OK);
        main_.EditBot().DeleteSubPart();
    };
}

RandomEdits::Edit RandomEdits::MoveSubPart() {
    const int holder = Pick(Rooms());
    if (SubParts(holder) < 2) return {};
    const int sub = Pick(SubParts(holder) - 1);
    const bool down = Pick(2) == 1;
    return [this, holder, sub = down ? sub : sub + 1, down] {
        Select(holder, sub + 1);
        main_.MenuItem(down ? "mnuMoveSubDown" : "mnuMoveSubUp")->trigger();
    };
}

RandomEdits::Edit RandomEdits::SubPartFields() {
    const int holder = Pick(Rooms());
    if (SubParts(holder) == 0) return {};
    const QString position = Number(Value()) + ", " + Number(Value()) + ", 0";
    return [this, holder, sub = Pick(SubParts(holder)), position, name = Fresh("Sub ")] {
        Select(holder, sub + 1);
        frmEditBot& editor = main_.EditBot();
        editor.txtSubName->setText(QString::fromStdString(name));
        editor.txtSubPosition->setText(position);
        editor.Apply();
    };
}

RandomEdits::Edit RandomEdits::Camera() {
    return [this, room = Pick(Rooms()), dx = Pick(20) - 10, dy = Pick(20) - 10, steps = Pick(4)] {
        Select(room, 1);
        const auto active = bots_.PartRooms().ActivePartRoom;
        for (int i = 0; i < steps; ++i)
            bots_.SetActiveCamera(Orbit(active->PartData().Camera, dx, dy), false);
        bots_.SetActiveCamera(active->PartData().Camera, true);
    };
}

RandomEdits::Edit RandomEdits::MaskValue() {
    const int room = Pick(Rooms());
    const int masks = bots_.PartRooms().Rooms(room)->MotorMasks().TotalMasks;
    if (masks < 1) return {};
    return [this, room, row = Pick(masks), value = Value()] {
        Select(room, 1);
        frmControlMotors& motors = main_.ControlMotors();
        motors.MSFlexGrid1->item(row, 1)->setText(Number(value));
        motors.ApplyPositions();
    };
}

RandomEdits::Edit RandomEdits::ToolPathText() {
    return [this, room = Pick(Rooms()), text = Fresh("<ToolPath> ")] {
        Select(room, 1);
        main_.ControlMotors().txtXML->SetText(text);
    };
}

std::string SavedBytes(MDIForm1& main, clsBots& bots, const std::string& path) {
    auto& rooms = bots.PartRooms();
    for (int i = 1; i <= rooms.TotalRooms; ++i) main.PartsBar().ActivateRoom(i);
    main.PartsBar().ActivateRoom(1);
    rooms.Save(path);
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string RobotDifference(const std::string& a, const std::string& b) {
    if (a == b) return {};
    torvane::typWrapRooms x = torvane::DecodeRobot(a, "a");
    torvane::typWrapRooms y = torvane::DecodeRobot(b, "b");
    if (x.Rooms.Count() != y.Rooms.Count())
        return "rooms " + std::to_string(x.Rooms.Count()) + " and " +
               std::to_string(y.Rooms.Count());
    for (int i = 1; i <= x.Rooms.UBound(); ++i) {
        const auto& p = x.Rooms(i);
        const auto& q = y.Rooms(i);
        const std::string room = "room " + std::to_string(i) + " " + p.Part.Name + ": ";
        if (p.Part.Name != q.Part.Name) return room + "name " + q.Part.Name;
        if (p.Part.Camera != q.Part.Camera) return room + "camera";
        if (p.Part.JointTranslation != q.Part.JointTranslation ||
            p.Part.JointAttitude != q.Part.JointAttitude ||
            p.Part.JointAngles != q.Part.JointAngles)
            return room + "joint";
        if (p.Part != q.Part) return room + "record";
        if (p.SubParts != q.SubParts) return room + "subparts";
        if (p.MotorMasks.Masks != q.MotorMasks.Masks) return room + "mask list";
        if (p.MotorMasks != q.MotorMasks) return room + "table texts";
    }
    return "bytes";
}

}  // namespace mechanon::testing
