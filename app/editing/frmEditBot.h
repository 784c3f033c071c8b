#pragma once
// The part editor ("Edit " and the room's name): edits the active part room of the document,
// either the part itself (name, description, shape, size, colour, camera, home placement,
// motor) or one of its subparts (name, description, placement), as the room's ActiveSubIndex
// says. The window keeps no copy of the model: UpdateInterface fills the controls from the
// model, and does so whenever the document announces a change that concerns them; UpdateBot
// writes them all back and announces the change. Every edit gesture (Enter in a single-line
// box, Apply, Ok, a spin step, a shape or motor option click) ends in UpdateBot.
// Geometry is given in twips (1/1440 inch) and converted at the screen's logical DPI.

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ChildWindow.h"
#include "app/editing/FieldChecks.h"
#include "app/editing/TabStrip.h"
#include "app/editing/clsSpinText.h"
#include "model/clsRooms.h"
#include "motorio/Event.h"

namespace torvane {
class clsPartRoom;
struct typCamera;
struct typPartData;
struct typSubPartData;
}  // namespace torvane

namespace mechanon {

class clsBots;
class frmSubParts;
struct Change;

class frmEditBot : public ChildWindow {
    Q_OBJECT
  public:
    explicit frmEditBot(clsBots& bots, QWidget* parent = nullptr);
    ~frmEditBot() override;

    // Fills the controls from the active part room and shows the frame of the selected tab.
    // Never writes into the model.
    void UpdateInterface();
    // Writes the controls into the active part room (or its selected subpart) and announces it;
    // with ZeroMotor the joint's current motion starts again from its home (a new motor type or
    // axis). Each write that changes something is one step of the history.
    void UpdateBot(bool ZeroMotor = false);
    // Rebuilds the tree: the room as root, one child per subpart ("name (room)"), and below each
    // the subparts of the room it uses, filled in as a node is opened. The selection's node is
    // opened up to and made current.
    void UpdateTree();
    // Shows what a change of the document did to the active room: the fields and the tree, or
    // only the camera fields; a change this window made and shows already leaves them as typed.
    void ShowChange(const Change& change);
    // Refills the shape list: "No Shape", then the shapes object's catalogue, then kMeshChoice.
    void UpdateShapesBox();
    // The last entry of the shape list: it asks for a mesh file instead of naming a shape.
    static constexpr const char* kMeshChoice = "Mesh...";
    static constexpr const char* kMeshFilter =
        "Mesh files (*.stl, *.obj, *.dae)|*.stl;*.STL;*.obj;*.OBJ;*.dae;*.DAE|";
    // Asks for a mesh file and makes it the part's shape, named relative to the robot file's
    // folder, as one step of the history. A cancelled dialog changes nothing; a file that cannot
    // be read, or whose path a robot file cannot hold, is refused with a message.
    void ChooseMesh();
    // Selects InShapeName (exact match, the last of equal items) in the shape list.
    void SelectShape(const std::string& InShapeName);
    // Shows camera in the six camera fields only: anything else typed and not applied stays.
    void ShowCamera(const torvane::typCamera& camera);
    // Lays the controls out for the window's height (nothing below 5000 twips).
    void Resize();
    // Shows the tab strip of what is being edited and the frame of its selected tab.
    void ShowTabbedFrame();
    // Captions of the dimension options for a motor type (0 none, 1 linear, 2 rotational).
    void SetDimensionCaptions(int MotorType);

    // The event handlers, also what the tests drive.
    void Apply();
    void Ok();
    // A click on tree node index (1 = the room itself, i + 1 = subpart i).
    void NodeClicked(int index);
    // A click on the node of the subpart at path (SelectPath); empty for the room itself.
    void PathClicked(const std::vector<std::int32_t>& path);
    // Add SubPart: pick a room in the subpart picker, name the use, attach it.
    void AddSubPart();
    // Delete SubPart: remove the selected subpart after asking.
    void DeleteSubPart();

    // Shows the picker modally; replaceable where the modal loop must be driven differently.
    std::function<void(frmSubParts&)> ShowPickerModal;

    // The room chosen in the subpart picker; empty outside Add SubPart.
    std::shared_ptr<torvane::clsPartRoom> PassSubPart;

    QTreeWidget* TreeView1 = nullptr;
    QPushButton* cmdAddPart = nullptr;
    QPushButton* cmdDeletePart = nullptr;
    QCheckBox* chkReddenSelection = nullptr;
    TabStrip* TabStrip1 = nullptr;
    TabStrip* TabStrip2 = nullptr;

    QGroupBox* framDescription = nullptr;
    QGroupBox* framCamera = nullptr;
    QGroupBox* framPosition = nullptr;
    QGroupBox* framMotor = nullptr;
    QGroupBox* framSubPartDescription = nullptr;
    QGroupBox* framSubPartPosition = nullptr;
    // The Apply and Ok buttons of the six frames; every one acts the same.
    std::vector<QPushButton*> Command1;
    std::vector<QPushButton*> Command2;

    QLineEdit* txtName = nullptr;
    QPlainTextEdit* txtDescription = nullptr;
    QLineEdit* txtSize = nullptr;
    QLineEdit* txtColor = nullptr;
    QComboBox* cmbShape = nullptr;
    QLineEdit* txtCameraX = nullptr;
    QLineEdit* txtCameraY = nullptr;
    QLineEdit* txtCameraZ = nullptr;
    QLineEdit* txtLookAtX = nullptr;
    QLineEdit* txtLookAtY = nullptr;
    QLineEdit* txtLookAtZ = nullptr;
    QLineEdit* txtPosition = nullptr;
    QLineEdit* txtRotations = nullptr;
    QRadioButton* optRotational = nullptr;
    QRadioButton* optLinear = nullptr;
    QRadioButton* optNone = nullptr;
    QRadioButton* optOne = nullptr;
    QRadioButton* optTwo = nullptr;
    QRadioButton* optThree = nullptr;
    QLineEdit* txtJointHomePosition = nullptr;
    QLineEdit* txtMotorPosition = nullptr;
    QLineEdit* txtSubName = nullptr;
    QLineEdit* txtReferencedPartName = nullptr;
    QPlainTextEdit* txtSubPartDescription = nullptr;
    QLineEdit* txtSubPosition = nullptr;
    QLineEdit* txtSubAttitude = nullptr;

    std::unique_ptr<clsSpinText> SpinSize, SpinColor, SpinPosition, SpinRotation, SpinJointPosition,
        SpinMotorPosition, SpinSubPosition, SpinSubRotation;
    std::unique_ptr<clsSpinText> SpinCameraX, SpinCameraY, SpinCameraZ, SpinLookAtX, SpinLookAtY,
        SpinLookAtZ;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The path of a tree node from the room (the root's is empty), and the children of a node
    // filled in from the room it stands for, once.
    static std::vector<std::int32_t> NodePath(QTreeWidgetItem& node);
    void FillNode(QTreeWidgetItem& node);
    // What the boxes of the part itself (or of the selected subpart) hold, for the checks made
    // before a commit.
    TypedPart Typed(bool partItself) const;
    // What Apply and Ok store: every field, then the tree (a name may have changed). False when
    // something refused it.
    bool StoreFields();
    // The steps of UpdateBot: each reads its boxes into the record being edited. A name in use
    // elsewhere is refused with a message and the old name shown again.
    void ReadPartName(const torvane::clsPartRoom& room, int subIndex, torvane::typPartData& R);
    void ReadCameraAndMotor(torvane::typPartData& R) const;
    // The status bar says whether Apply or Ok stored the fields.
    void ReportApplied(bool applied);
    void ReadSubPartFields(const torvane::clsPartRoom& room, int subIndex,
                           torvane::typSubPartData& Sub);
    // The record's change as one step of the history, once the room shows it.
    void RecordPart(const std::shared_ptr<torvane::clsPartRoom>& room,
                    torvane::clsRooms::PartRecordChange change);
    void StoreSubPart(const std::shared_ptr<torvane::clsPartRoom>& room, int index,
                      const torvane::typSubPartData& Sub);
    void BuildUpperArea();
    void BuildFrames();
    void BuildCameraFrame();
    void BuildMotorFrame();
    QGroupBox* MakeFrame(const char* name, const QString& caption, const QString& applyCaption,
                         const QString& okCaption);
    void BuildSpinControls();
    void Connect();
    // Places w at a design position, twips.
    void Place(QWidget* w, double left, double top, double width, double height) const;

    void OnMotorTypeClicked(int MotorType);
    void OnDimensionClicked();
    // Selects option (or, with null, none) of a group without running any click handling.
    static void SelectOption(QButtonGroup& group, QRadioButton* option);

    clsBots& bots_;
    QWidget* body_ = nullptr;
    QButtonGroup motorTypes_;
    QButtonGroup dimensions_;
    torvane::Subscription changes_;
};

}  // namespace mechanon
