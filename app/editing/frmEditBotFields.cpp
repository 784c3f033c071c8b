// The part editor's two data operations: the fill of the controls from the model
// (UpdateInterface) and the write-back of the controls into the model (UpdateBot).

#include "app/clsBots.h"
#include "app/editing/FieldChecks.h"
#include "app/editing/ShortNumberBox.h"
#include "app/editing/frmEditBot.h"
#include "app/undo/DocumentHistory.h"
#include "app/undo/PartRecordCommand.h"
#include "app/undo/SubPartRecordCommand.h"
#include "model/NumberText.h"
#include "model/clsRooms.h"
#include "platform/UserInterface.h"
#include "toolpath/TextHelpers.h"

namespace mechanon {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
std::string S(const QString& text) {
    return text.toStdString();
}
std::string S(const QLineEdit* box) {
    return box->text().toStdString();
}

// A list of numbers as the size and colour boxes show it; an array without elements (as a
// damaged file may hold) shows as an empty box rather than failing the whole fill.
QString JoinedOrEmpty(const torvane::clsMiscInterface& mi, const torvane::DoubleArray& values) {
    return values.Count() == 0 ? QString() : Q(mi.JoinDoubles(values));
}

// The numbers of a size or colour box, cut at every comma, at indices from 1. An empty box
// says so (whatFor names the field) and leaves values as they are.
bool ReadNumberList(const torvane::clsMiscInterface& mi, const QLineEdit& box,
                    const std::string& whatFor, torvane::DoubleArray& values) {
    const torvane::StringArray pieces = torvane::SplitText(S(&box), ",");
    if (pieces.Count() == 0) {
        torvane::Host().MsgBox(
            "You have to enter three numbers defined separated by commas to "
            "define a shapes' " +
                whatFor + ".",
            torvane::MsgButtons::OK);
        return false;
    }
    values = mi.StringsToDoubles(pieces);
    return true;
}

}  // namespace

void frmEditBot::UpdateInterface() {
    const auto P = bots_.PartRooms().ActivePartRoom;
    if (!P) {
        setWindowTitle("Edit Skeleton");
        return;
    }
    // The shape list is filled at load, which may come before the shapes object exists.
    if (cmbShape->count() <= 1 && bots_.PartRooms().Shapes) UpdateShapesBox();
    const torvane::clsMiscInterface& mi = bots_.MI();
    const torvane::typPartData R = P->PartData();
    setWindowTitle("Edit " + Q(R.Name));
    // No subparts means the part itself; so does a selection that another command left
    // beyond the end of the list, rather than a fill that fails half way.
    if (P->SubParts.Empty() || P->ActiveSubIndex < 0 || P->ActiveSubIndex > P->SubParts.Count())
        P->ActiveSubIndex = 0;
    // The selected subpart may lie further down the tree, in a room a subpart uses.
    const auto [holder, k] = torvane::SubPartAtPath(P, P->SelectedPath());
    torvane::typSubPartData sub;
    std::string referenced = R.Name;
    if (k > 0) {
        sub = holder->SubParts(k).SubPartData();
        const auto& used = holder->SubParts(k).Part;
        referenced = used ? used->Name() : std::string();
    }

    txtSize->setText(JoinedOrEmpty(mi, R.Size));
    txtColor->setText(JoinedOrEmpty(mi, R.ShapeColor));
    cmbShape->setCurrentText(Q(R.ShapeName));
    txtPosition->setText(Q(mi.Join3Vector(R.RelativePosition)));
    txtRotations->setText(Q(mi.JoinAttitude(R.RelativeAttitude)));
    txtJointHomePosition->setText(Q(mi.Join3Vector(R.JointPosition)));
    txtName->setText(Q(R.Name));
    txtDescription->setPlainText(Q(R.Description));
    ShowCamera(R.Camera);
    txtSubPosition->setText(Q(mi.Join3Vector(sub.RelativePosition)));
    txtSubAttitude->setText(Q(mi.JoinAttitude(sub.RelativeAttitude)));
    txtSubPartDescription->setPlainText(Q(sub.Description));
    txtSubName->setText(Q(sub.Name));
    txtReferencedPartName->setText(Q(referenced));

    // Options are selected from code, which runs none of their click handling: the fill
    // never writes the previous part's motor into this one.
    QRadioButton* const dimension[] = {optOne, optTwo, optThree};
    const bool dimensionKnown = R.MotorDimension >= 1 && R.MotorDimension <= 3;
    using torvane::MotorKind;
    using torvane::MotorTypeOf;
    switch (R.MotorType) {
        case MotorTypeOf(MotorKind::None):
            SelectOption(motorTypes_, optNone);
            SelectOption(dimensions_, nullptr);
            break;
        case MotorTypeOf(MotorKind::Linear):
        case MotorTypeOf(MotorKind::Rotational):
            SelectOption(motorTypes_, torvane::MotorKindOf(R.MotorType) == MotorKind::Linear
                                          ? optLinear
                                          : optRotational);
            if (dimensionKnown) SelectOption(dimensions_, dimension[R.MotorDimension - 1]);
            break;
        default:
            break;
    }
    txtMotorPosition->setText(Q(torvane::PlainNumberText(R.MotorPosition)));
    SetDimensionCaptions(R.MotorType);
    ShowTabbedFrame();
}

void frmEditBot::UpdateBot(bool ZeroMotor) {
    const auto P = bots_.PartRooms().ActivePartRoom;
    if (!P) return;
    const torvane::clsMiscInterface& mi = bots_.MI();
    // 1. The record being edited: the part's own, or the selected subpart's (which may be one
    // of a room further down the tree).
    const auto [holder, k] = torvane::SubPartAtPath(P, P->SelectedPath());
    torvane::typPartData R;
    torvane::typSubPartData Sub;
    if (k == 0)
        R = P->PartData();
    else
        Sub = holder->SubParts(k).SubPartData();
    // Every box is checked before anything is stored: a refused field leaves the model as it was.
    if (const std::string refused = UnusableFieldMessage(Typed(k == 0)); !refused.empty()) {
        torvane::Host().MsgBox(refused, torvane::MsgButtons::OK);
        return;
    }

    // 2. The three placements of the part (an empty box says so and gives zeros).
    const torvane::typ3Point position = mi.Parse3Vector(S(txtPosition));
    const torvane::typAttitude attitude = mi.ParseAttitude(S(txtRotations));
    const torvane::typ3Point joint = mi.Parse3Vector(S(txtJointHomePosition));
    // 3. The name.
    ReadPartName(*P, k, R);
    // 4, 5.
    R.Description = S(txtDescription->toPlainText());
    R.RelativePosition = position;
    R.RelativeAttitude = attitude;
    R.JointPosition = joint;
    // 6, 7. Size (with the shape name) and colour; only an empty box is refused here.
    if (ReadNumberList(mi, *txtSize, "size", R.Size)) R.ShapeName = S(cmbShape->currentText());
    ReadNumberList(mi, *txtColor, "color", R.ShapeColor);
    // 8 to 11.
    ReadCameraAndMotor(R);
    // 12. The subpart.
    ReadSubPartFields(*holder, k, Sub);

    // 13. Store the one record that was edited.
    // The motor tables follow a change of the motor kind or of the name at once, so that
    // driving and saving use them.
    if (k > 0) {
        StoreSubPart(holder, k, Sub);
        bots_.Changes().Announce({ChangeKind::Fields, P.get(), this});
        if (ZeroMotor) P->ZeroMotor();
        return;
    }
    auto& rooms = bots_.PartRooms();
    torvane::clsRooms::PartRecordChange change = rooms.SetPartRecord(*P, R);
    // 14. Drawing moves the joint; a new motor type or axis starts it again from its home,
    // and that belongs to the same change.
    try {
        bots_.Changes().Announce({ChangeKind::Fields, P.get(), this});
        if (ZeroMotor) P->ZeroMotor();
    } catch (...) {
        RecordPart(P, std::move(change));
        throw;
    }
    RecordPart(P, std::move(change));
}

// The boxes of the record a commit stores: the part's own, or the selected subpart's.
TypedPart frmEditBot::Typed(bool partItself) const {
    TypedPart typed{S(txtName), partItself, S(txtSize), S(txtColor), {}};
    if (!partItself) {
        typed.numbers = {{"subpart position", S(txtSubPosition)},
                         {"subpart orientation", S(txtSubAttitude)}};
        return typed;
    }
    typed.numbers = {{"position", S(txtPosition)},
                     {"orientation", S(txtRotations)},
                     {"joint home position", S(txtJointHomePosition)},
                     {"motor position", S(txtMotorPosition)}};
    for (const QLineEdit* box :
         {txtCameraX, txtCameraY, txtCameraZ, txtLookAtX, txtLookAtY, txtLookAtZ})
        typed.numbers.push_back({"camera coordinate", S(box)});
    return typed;
}

// Each store is one change in the history; a write that changed nothing is none.
void frmEditBot::RecordPart(const std::shared_ptr<torvane::clsPartRoom>& room,
                            torvane::clsRooms::PartRecordChange change) {
    auto command = std::make_unique<PartRecordCommand>(bots_.PartRooms(), room, std::move(change));
    if (command->Changes()) bots_.History().Record(std::move(command));
}

void frmEditBot::StoreSubPart(const std::shared_ptr<torvane::clsPartRoom>& room, int index,
                              const torvane::typSubPartData& Sub) {
    auto& rooms = bots_.PartRooms();
    torvane::typSubPartData before = rooms.SetSubPartRecord(*room, index, Sub);
    if (before != Sub)
        bots_.History().Record(
            std::make_unique<SubPartRecordCommand>(rooms, room, index, before, Sub));
}

// Two rooms of one name could not be told apart when the robot file links its subparts by room
// name, so a name in use by another room is refused.
void frmEditBot::ReadPartName(const torvane::clsPartRoom& room, int subIndex,
                              torvane::typPartData& R) {
    const std::string name = S(txtName);
    if (name == R.Name) return;
    if (subIndex == 0 && !bots_.PartRooms().PartRoomNameFree(room, name)) {
        torvane::Host().MsgBox("The name " + name +
                                   " is in use by another part room.  The part keeps its "
                                   "name " +
                                   R.Name + ".",
                               torvane::MsgButtons::OK);
        txtName->setText(Q(R.Name));
        return;
    }
    R.Name = name;
    setWindowTitle("Edit " + Q(name));
}

// The camera, the motor type and dimension (with no option selected the stored value stays) and
// the motor position.
void frmEditBot::ReadCameraAndMotor(torvane::typPartData& R) const {
    // The boxes show the camera in short; an untouched box keeps the exact number.
    R.Camera.CameraX = ReadShortNumber(*txtCameraX);
    R.Camera.CameraY = ReadShortNumber(*txtCameraY);
    R.Camera.CameraZ = ReadShortNumber(*txtCameraZ);
    R.Camera.LookAtX = ReadShortNumber(*txtLookAtX);
    R.Camera.LookAtY = ReadShortNumber(*txtLookAtY);
    R.Camera.LookAtZ = ReadShortNumber(*txtLookAtZ);
    if (optRotational->isChecked())
        R.MotorType = torvane::MotorTypeOf(torvane::MotorKind::Rotational);
    else if (optLinear->isChecked())
        R.MotorType = torvane::MotorTypeOf(torvane::MotorKind::Linear);
    else if (optNone->isChecked())
        R.MotorType = torvane::MotorTypeOf(torvane::MotorKind::None);
    if (optOne->isChecked())
        R.MotorDimension = 1;
    else if (optTwo->isChecked())
        R.MotorDimension = 2;
    else if (optThree->isChecked())
        R.MotorDimension = 3;
    R.MotorPosition = torvane::NumberValue(S(txtMotorPosition));
}

// Two subparts of one name would make the room unreadable from its file, so a name already used
// by another subpart of this room is refused.
void frmEditBot::ReadSubPartFields(const torvane::clsPartRoom& room, int subIndex,
                                   torvane::typSubPartData& Sub) {
    const torvane::clsMiscInterface& mi = bots_.MI();
    const std::string subName = S(txtSubName);
    if (subIndex > 0 && subName != Sub.Name && !room.SubPartNameFree(subName, subIndex)) {
        torvane::Host().MsgBox("The subpart name " + subName +
                                   " is already in use in this part room.  The subpart keeps "
                                   "its name " +
                                   Sub.Name + ".",
                               torvane::MsgButtons::OK);
        txtSubName->setText(Q(Sub.Name));
    } else {
        Sub.Name = subName;
    }
    Sub.RelativePosition = mi.Parse3Vector(S(txtSubPosition));
    Sub.RelativeAttitude = mi.ParseAttitude(S(txtSubAttitude));
    Sub.Description = S(txtSubPartDescription->toPlainText());
}

}  // namespace mechanon
