// Add SubPart and Delete SubPart through the part editor's buttons: the picker, the name
// question with its proposal, the duplicate and cycle checks, and what each leaves selected.

#include <QLabel>
#include <QTreeWidget>

#include "app/CaptionWidth.h"
#include "model/ModelLimits.h"
#include "model/clsRooms.h"
#include "model/clsSubPart.h"
#include "tests/app/editing/EditingTestSupport.h"

namespace mechanon::testing {
namespace {

using torvane::MsgAnswer;

constexpr const char* kNameInUse =
    "The subpart name you have enetered is already in use.  Operation has been aborted.";

class SubPartCommandsTest : public EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        CreateRoom("Finger");
        ActivateThroughBar("Part 1");
        Ui().Clear();
    }
    std::vector<std::string> SubNames() const {
        std::vector<std::string> names;
        for (const auto& sub : ActiveRoom()->SubParts) names.push_back(sub->Name());
        return names;
    }
    std::vector<std::string> TreeTexts() const {
        std::vector<std::string> texts;
        const QTreeWidgetItem* root = Editor().TreeView1->topLevelItem(0);
        for (int i = 0; root && i < root->childCount(); ++i)
            texts.push_back(root->child(i)->text(0).toStdString());
        return texts;
    }
};

TEST_F(SubPartCommandsTest, TheFirstSubpartIsProposedAsSub1AndBecomesTheEditedEntry) {
    std::vector<std::string> offered;
    AnswerPicker("Finger", &offered);
    Ui().inputAnswers.push_back("Sub 1");
    Click(Editor().cmdAddPart);
    EXPECT_EQ(offered, std::vector<std::string>{"Finger"});
    ASSERT_EQ(Ui().shown.size(), 1u);
    EXPECT_EQ(Ui().shown[0].text, "Enter a name for the new subpart");
    EXPECT_EQ(Ui().shown[0].extra, "Sub 1");
    ASSERT_EQ(SubNames(), std::vector<std::string>{"Sub 1"});
    EXPECT_EQ(ActiveRoom()->SubParts(1).Part, Rooms().GetRoomByName("Finger"));
    const torvane::typSubPartData data = ActiveRoom()->SubParts(1).SubPartData();
    EXPECT_EQ(data.RelativePosition, (torvane::typ3Point{0, 0, 0}));
    EXPECT_EQ(data.SavePartName, "");
    EXPECT_EQ(ActiveRoom()->ActiveSubIndex, 1);
    EXPECT_TRUE(Editor().TabStrip2->isVisible());
    EXPECT_EQ(Editor().TabStrip2->Tabs().tabText(0), "Description");
    EXPECT_EQ(Editor().TabStrip2->Tabs().tabText(1), "SubPart Position");
    EXPECT_EQ(Editor().txtSubName->text(), "Sub 1");
    EXPECT_EQ(TreeTexts(), std::vector<std::string>{"Sub 1 (Finger)"});
    EXPECT_EQ(Editor().PassSubPart, nullptr);

    // The second proposal counts on.
    Ui().Clear();
    AddSubPart("Finger", "Sub 2");
    EXPECT_EQ(Ui().shown.at(0).extra, "Sub 2");
    EXPECT_EQ(ActiveRoom()->ActiveSubIndex, 2);
}

TEST_F(SubPartCommandsTest, NamesAreComparedIgnoringCaseButNotBlanks) {
    AddSubPart("Finger", "Arm");
    Ui().Clear();
    AddSubPart("Finger", "ARM");
    EXPECT_EQ(Ui().CountMessage(kNameInUse), 1);
    EXPECT_EQ(SubNames(), std::vector<std::string>{"Arm"});
    AddSubPart("Finger", "Arm ");
    EXPECT_EQ(SubNames(), (std::vector<std::string>{"Arm", "Arm "}));
}

TEST_F(SubPartCommandsTest, AfterADeletionTheProposalMayClashAndIsThenRefused) {
    for (const char* name : {"Sub 1", "Sub 2", "Sub 3"}) AddSubPart("Finger", name);
    ClickNode(2);
    Ui().messageAnswers.push_back(MsgAnswer::OK);
    Click(Editor().cmdDeletePart);
    ASSERT_EQ(SubNames(), (std::vector<std::string>{"Sub 2", "Sub 3"}));
    Ui().Clear();
    AnswerPicker("Finger");
    Ui().inputAnswers.push_back("Sub 3");  // the proposal, accepted
    Click(Editor().cmdAddPart);
    EXPECT_EQ(Ui().shown.at(0).extra, "Sub 3");
    EXPECT_EQ(Ui().CountMessage(kNameInUse), 1);
    EXPECT_EQ(SubNames(), (std::vector<std::string>{"Sub 2", "Sub 3"}));
}

TEST_F(SubPartCommandsTest, NoChoiceOrNoNameChangesNothing) {
    AnswerPicker("");
    Click(Editor().cmdAddPart);
    EXPECT_TRUE(Ui().shown.empty());  // no name question without a room
    AnswerPicker("Finger");
    Click(Editor().cmdAddPart);  // the name question is cancelled
    EXPECT_EQ(Ui().shown.size(), 1u);
    EXPECT_TRUE(SubNames().empty());
    EXPECT_EQ(Editor().PassSubPart, nullptr);
    EXPECT_EQ(ActiveRoom()->ActiveSubIndex, 0);
}

TEST_F(SubPartCommandsTest, ThePickerNamesThePartAndSaysWhatToDo) {
    QString title, instruction;
    bool instructionShown = false, captionRoom = false;
    QTimer::singleShot(0, [&] {
        auto* picker = qobject_cast<frmSubParts*>(QApplication::activeModalWidget());
        if (!picker) return;
        title = picker->windowTitle();
        instruction = picker->lblInstruction->text();
        instructionShown = picker->lblInstruction->isVisible();
        captionRoom = picker->width() >= CaptionWidth(*picker);
        picker->reject();
    });
    Click(Editor().cmdAddPart);
    EXPECT_EQ(title, "SubParts");
    EXPECT_TRUE(instructionShown);
    EXPECT_TRUE(instruction.contains("Click the part room to use as a subpart of Part 1"))
        << instruction.toStdString();
    EXPECT_TRUE(captionRoom) << "the caption shows whole";
    EXPECT_TRUE(SubNames().empty()) << "closing the picker adds nothing";
}

TEST_F(SubPartCommandsTest, AnAttachThatWouldCloseACycleIsRefused) {
    // Part 1 uses Finger; attaching Part 1 to Finger would make each contain the other.
    AddSubPart("Finger", "Sub 1");
    ActivateThroughBar("Finger");
    const torvane::typPartData before = ActiveRoom()->PartData();
    Ui().Clear();
    // The picker offers nothing for Finger (it only sees rooms that contain it or itself).
    Click(Editor().cmdAddPart);
    EXPECT_EQ(Ui().Messages().size(), 1u);
    // A room handed back some other way is still refused by the command.
    Editor().ShowPickerModal = [this](frmSubParts&) {
        Editor().PassSubPart = Rooms().GetRoomByName("Part 1");
    };
    CreateRoom("Spare");  // gives the picker something to show
    ActivateThroughBar("Finger");
    Ui().Clear();
    Ui().inputAnswers.push_back("Loop");
    Click(Editor().cmdAddPart);
    EXPECT_EQ(Ui().CountMessage("The part room Part 1 cannot be attached as a subpart of Finger "
                                "because it is or contains Finger.  Operation has been aborted."),
              1);
    EXPECT_TRUE(ActiveRoom()->SubParts.Empty());
    EXPECT_EQ(ActiveRoom()->PartData(), before);
    EXPECT_EQ(Editor().PassSubPart, nullptr);
}

TEST_F(SubPartCommandsTest, ARenamedSubpartFreesItsOldNameForANewOne) {
    AddSubPart("Finger", "Sub 1");
    ClickTab(*Editor().TabStrip2, "Description");
    Type(Editor().txtSubName, "Thumb");
    Enter(Editor().txtSubName);
    ASSERT_EQ(SubNames(), std::vector<std::string>{"Thumb"});
    Ui().Clear();
    AddSubPart("Finger", "Sub 1");
    EXPECT_TRUE(Ui().Messages().empty());
    EXPECT_EQ(SubNames(), (std::vector<std::string>{"Thumb", "Sub 1"}));
    Ui().Clear();
    AddSubPart("Finger", "thumb");
    EXPECT_EQ(Ui().CountMessage(kNameInUse), 1);
}

TEST_F(SubPartCommandsTest, DeleteExplainsWhenThereIsNothingOrThePartItselfIsSelected) {
    Click(Editor().cmdDeletePart);
    EXPECT_EQ(Ui().Messages(),
              std::vector<std::string>{"There are no subparts to delete.  To delete a part, use "
                                       "the delete part command under the 'Design' menu of the "
                                       "main form."});
    AddSubPart("Finger", "Sub 1");
    ClickNode(1);
    Ui().Clear();
    Click(Editor().cmdDeletePart);
    EXPECT_EQ(Ui().Messages(),
              std::vector<std::string>{
                  "Select the sub part you want to delete by selecting it(click the picture of "
                  "the subpart you want to delete, then click the 'Delete Subpart' command "
                  "again."});
    EXPECT_EQ(SubNames(), std::vector<std::string>{"Sub 1"});
}

TEST_F(SubPartCommandsTest, DeleteAsksAndRemovesTheSelectedEntryOnOk) {
    for (const char* name : {"Sub 1", "Sub 2", "Sub 3"}) AddSubPart("Finger", name);
    ClickNode(3);
    Ui().Clear();
    Ui().messageAnswers.push_back(MsgAnswer::Cancel);
    Click(Editor().cmdDeletePart);
    ASSERT_EQ(Ui().shown.size(), 1u);
    EXPECT_EQ(Ui().shown[0].text, "Are you sure you want to delete the subpart Sub 2");
    EXPECT_EQ(Ui().shown[0].buttons, torvane::MsgButtons::OKCancel);
    EXPECT_EQ(SubNames().size(), 3u);

    Ui().messageAnswers.push_back(MsgAnswer::OK);
    Click(Editor().cmdDeletePart);
    EXPECT_EQ(SubNames(), (std::vector<std::string>{"Sub 1", "Sub 3"}));
    EXPECT_EQ(ActiveRoom()->ActiveSubIndex, 0);
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"Sub 1 (Finger)", "Sub 3 (Finger)"}));
    EXPECT_TRUE(Editor().TabStrip1->isVisible());

    for (int i = 0; i < 2; ++i) {
        ClickNode(2);
        Ui().messageAnswers.push_back(MsgAnswer::OK);
        Click(Editor().cmdDeletePart);
    }
    EXPECT_TRUE(SubNames().empty());
    EXPECT_TRUE(TreeTexts().empty());
    EXPECT_EQ(Editor().TreeView1->topLevelItemCount(), 1);
    EXPECT_EQ(ActiveRoom()->ActiveSubIndex, 0);
}

// A robot file holds at most kMaxExpandedPartOccurrences occurrences over all its rooms; the use
// that would pass that is refused as it is made, so the robot can always be saved and opened.
TEST_F(SubPartCommandsTest, AUseThatWouldPassTheFileLimitIsRefusedWhenItIsMade) {
    CreateRoom("Hub");
    CreateRoom("Crowd");
    // The new rooms' pictures are made now, while they are empty: the rooms are then filled
    // behind the program's back, and a picture of a million occurrences takes minutes.
    WaitForSnapShots();
    const auto finger = Rooms().GetRoomByName("Finger");
    const auto hub = Rooms().GetRoomByName("Hub");
    const auto crowd = Rooms().GetRoomByName("Crowd");
    const auto use = [](const std::string& name, const std::shared_ptr<torvane::clsPartRoom>& r) {
        auto sub = std::make_shared<torvane::clsSubPart>();
        sub->SetName(name);
        sub->Part = r;
        return sub;
    };
    // Hub expands to 1000 occurrences, Crowd to 1 + 998 * 1000; with Part 1, Finger and Hub the
    // robot holds 999,003, so one more use of Hub (1000 more) is too many.
    for (int i = 0; i < 999; ++i) Rooms().AttachSubPart(*hub, use("F" + std::to_string(i), finger));
    for (int i = 0; i < 998; ++i) Rooms().AttachSubPart(*crowd, use("H" + std::to_string(i), hub));
    ActivateThroughBar("Part 1");
    Ui().Clear();
    AddSubPart("Hub", "One too many");
    const auto messages = Ui().Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("\"One too many\" cannot be attached to \"Part 1\""),
              std::string::npos)
        << messages[0];
    EXPECT_NE(messages[0].find(std::to_string(torvane::kMaxExpandedPartOccurrences)),
              std::string::npos);
    EXPECT_TRUE(SubNames().empty());
    EXPECT_EQ(TreeTexts(), std::vector<std::string>{});

    // A use that fits is still made, and what was built can be saved (opening it again draws
    // every room, a million occurrences; the model's tests read such files back).
    Ui().Clear();
    AddSubPart("Finger", "Fits");
    EXPECT_EQ(SubNames(), std::vector<std::string>{"Fits"});
    Ui().fileAnswers.push_back(temp.Path("full.bot"));
    Choose("mnuSave");
    EXPECT_TRUE(Ui().Messages().empty()) << "saved without a complaint";
}

TEST_F(SubPartCommandsTest, ANodeFurtherDownTheTreeIsEditedMovedAndDeletedInItsOwnRoom) {
    OpenFile(ExamplePath("arm.bot"));
    QTreeWidget& tree = *Editor().TreeView1;
    QTreeWidgetItem* base = tree.topLevelItem(0)->child(0);
    ASSERT_NE(base, nullptr);
    tree.expandItem(base);  // the turntable's own subparts appear as the node opens
    ASSERT_EQ(base->childCount(), 1);
    QTreeWidgetItem* shoulder = base->child(0);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(shoulder).center());
    ProcessEventsFor(0);
    EXPECT_EQ(ActiveRoom()->SelectedPath(), (std::vector<std::int32_t>{1, 1}));
    EXPECT_EQ(Editor().txtSubName->text(), "Shoulder");
    EXPECT_EQ(Editor().txtReferencedPartName->text(), "UpperArm");
    EXPECT_EQ(Main().BotView().CaptionLines().back(), "SubPart=Shoulder");

    // Moving has nowhere to go in a list of one; deleting takes it from the turntable only.
    Choose("mnuMoveSubDown");
    EXPECT_EQ(ActiveRoom()->SelectedPath(), (std::vector<std::int32_t>{1, 1}));
    const auto turntable = Rooms().GetRoomByName("Turntable");
    Ui().messageAnswers.push_back(MsgAnswer::OK);
    Click(Editor().cmdDeletePart);
    ASSERT_EQ(Ui().CountMessage("Are you sure you want to delete the subpart Shoulder"), 1);
    EXPECT_EQ(turntable->SubParts.Count(), 0);
    ASSERT_EQ(ActiveRoom()->SubParts.Count(), 1) << "the arm keeps its own subpart";
    EXPECT_EQ(ActiveRoom()->SubParts(1).Name(), "Base");
    Choose("mnuUndo");
    ASSERT_EQ(turntable->SubParts.Count(), 1);
    EXPECT_EQ(turntable->SubParts(1).Name(), "Shoulder");
}

}  // namespace
}  // namespace mechanon::testing
