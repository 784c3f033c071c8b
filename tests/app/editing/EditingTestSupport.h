#pragma once
// Gestures on the part-editing windows as a user makes them: clicks on tree nodes, tabs,
// thumbnails and buttons, Enter in a box, and the subpart picker answered while it is up.

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <string>

#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/editing/frmEditBot.h"
#include "app/editing/frmPartsBar.h"
#include "app/editing/frmSubParts.h"
#include "app/frmBot.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "model/clsSubPart.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {

class EditingTest : public AppTest {
  protected:
    frmEditBot& Editor() const { return Main().EditBot(); }
    frmPartsBar& Bar() const { return Main().PartsBar(); }

    void Click(QWidget* w) {
        QTest::mouseClick(w, Qt::LeftButton);
        ProcessEventsFor(0);
    }
    // An option reacts to clicks on its indicator and caption, not on the rest of its width.
    void ClickOption(QRadioButton* option) {
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
        ProcessEventsFor(0);
    }
    void Enter(QWidget* box) {
        QTest::keyClick(box, Qt::Key_Return);
        ProcessEventsFor(0);
    }
    void Type(QLineEdit* box, const QString& text) {
        box->selectAll();
        box->del();
        QTest::keyClicks(box, text);
    }
    // Clicks tree node index (1 = the room itself, i + 1 = subpart i).
    void ClickNode(int index) {
        QTreeWidget& tree = *Editor().TreeView1;
        QTreeWidgetItem* root = tree.topLevelItem(0);
        ASSERT_NE(root, nullptr);
        QTreeWidgetItem* item = index == 1 ? root : root->child(index - 2);
        ASSERT_NE(item, nullptr) << "no node " << index;
        tree.scrollToItem(item);
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(item).center());
        ProcessEventsFor(0);
    }
    void ClickTab(TabStrip& strip, const QString& caption) {
        QTabBar& tabs = strip.Tabs();
        for (int i = 0; i < tabs.count(); ++i)
            if (tabs.tabText(i) == caption) {
                QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(i).center());
                ProcessEventsFor(0);
                return;
            }
        FAIL() << "no tab " << caption.toStdString();
    }
    void ClickThumbnail(int index) { Click(&Bar().Strip().Thumbnail(index)); }
    void CreateRoom(const std::string& name) {
        Ui().inputAnswers.push_back(name);
        Choose("mnuCreatePartRoom");
    }
    int RoomIndex(const std::string& name) const {
        for (int i = 1; i <= Rooms().TotalRooms; ++i)
            if (Rooms().Rooms(i)->Name() == name) return i;
        return 0;
    }
    void ActivateThroughBar(const std::string& name) {
        const int index = RoomIndex(name);
        ASSERT_GT(index, 0) << name;
        ClickThumbnail(index);
    }

    // Arms the picker for the next Add SubPart: once it is up, the thumbnail of the room
    // named room is clicked (or, with an empty name, the picker is closed without a choice).
    // offered receives the names the picker offered.
    void AnswerPicker(const std::string& room, std::vector<std::string>* offered = nullptr) {
        QTimer::singleShot(0, [room, offered] {
            auto* picker = qobject_cast<frmSubParts*>(QApplication::activeModalWidget());
            if (!picker) return;
            const torvane::StringArray& names = picker->OfferedNames();
            if (offered) offered->assign(names.Items().begin(), names.Items().end());
            for (int i = 1; i <= picker->Strip().Count(); ++i)
                if (!room.empty() && names(i) == room) {
                    QTest::mouseClick(&picker->Strip().Thumbnail(i), Qt::LeftButton);
                    return;
                }
            picker->reject();
        });
    }
    // Add SubPart through the windows: the picker answered with room, the name question
    // with subName.
    void AddSubPart(const std::string& room, const std::string& subName) {
        AnswerPicker(room);
        Ui().inputAnswers.push_back(subName);
        Click(Editor().cmdAddPart);
    }
};

}  // namespace mechanon::testing
