#pragma once
// The fixture of the motion window tests: the program started with scripted dialogs, plus a
// small arm (a floor "Part 1" holding a Shoulder that turns about its yaw axis, which holds an
// Elbow that pitches) and helpers to work the motor control window as a user does.

#include <QTest>
#include <QTimer>
#include <functional>

#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/motion/MultiLineTextBox.h"
#include "app/motion/frmControlMotors.h"
#include "model/clsRooms.h"
#include "model/clsSubPart.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/motion/MotionTestSupport.h"

namespace mechanon::testing {

class MotionWindowTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        AllowSlowRounds(Bots());
    }
    frmControlMotors& Window() { return Main().ControlMotors(); }

    // The motor control window in front, as the menu shows it (which activates it).
    void ShowWindow() {
        Choose("mnuAnimateActuate");
        ProcessEventsFor(20);
    }
    void SelectPage(int tab) {
        Window().TabStrip1->setCurrentIndex(tab);
        ProcessEventsFor(0);
    }
    static void Click(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton);
        ProcessEventsFor(0);
    }
    // Clicks a grid cell, types text into the cell editor and presses Enter.
    void EnterCell(int row, const QString& text) {
        QTableWidget& grid = *Window().MSFlexGrid1;
        const QRect cell = grid.visualItemRect(grid.item(row, 1));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
        ProcessEventsFor(0);
        ASSERT_TRUE(Window().Text1->isVisible());
        Window().Text1->selectAll();
        QTest::keyClicks(Window().Text1, text);
        QTest::keyClick(Window().Text1, Qt::Key_Return);
        ProcessEventsFor(0);
    }
    // Runs action once the event loop is running inside the command about to start.
    static void Later(int ms, std::function<void()> action) {
        QTimer::singleShot(ms, [action = std::move(action)] { action(); });
    }

    std::shared_ptr<torvane::clsPartRoom> MakeRoom(const std::string& name, std::int16_t motorType,
                                                   std::int16_t dimension) {
        std::string n = name;
        Rooms().CreatePartRoom(n, false);
        auto room = Rooms().ActivePartRoom;
        torvane::typPartData data = room->PartData();
        data.ShapeName = "Box";
        data.Size = torvane::DoubleArray(1, {1, 1, 4});
        data.ShapeColor = torvane::DoubleArray(1, {90, 20, 20});
        data.MotorType = motorType;
        data.MotorDimension = dimension;
        room->SetPartData(data);
        return room;
    }
    static void Use(torvane::clsPartRoom& parent, const std::shared_ptr<torvane::clsPartRoom>& room,
                    const std::string& name, double z) {
        torvane::typSubPartData data;
        data.Name = name;
        data.RelativePosition.Z = z;
        data.RelativePosition.X = 2;
        auto sub = std::make_shared<torvane::clsSubPart>(data);
        sub->Part = room;
        parent.AttachSubPart(sub);
    }
    // Part 1 (active) -> Shoulder (yaw) -> Elbow (pitch); masks Shoulder, Elbow.
    void BuildArm() {
        auto base = ActiveRoom();
        auto shoulder = MakeRoom("Shoulder", 2, 2);
        auto elbow = MakeRoom("Elbow", 2, 1);
        Use(*shoulder, elbow, "Elbow1", 4);
        Use(*base, shoulder, "Shoulder1", 0);
        Rooms().SetPartRoomIndex(1);
        Rooms().MapMotorMasks();
        Bots().UpdatePicture(false, false);
    }
    double MaskValue(int i) { return ActiveRoom()->MotorMasks().Masks(i).Value; }
    // Gives room the joint note of a revolute URDF joint named joint; mimic holds the note's
    // further attributes (a leader to follow, its multiplier and offset), or nothing.
    void NoteJoint(const std::string& room, const std::string& joint, const std::string& mimic) {
        const auto part = Rooms().GetRoomByName(room);
        torvane::typPartData data = part->PartData();
        data.BlankXML = "<joint name=\"" + joint + "\" type=\"revolute\"" + mimic + "/>\n";
        part->SetPartData(data);
    }
};

// How many times text holds what.
inline int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace mechanon::testing
