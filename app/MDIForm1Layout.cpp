// Arrangement of the child windows and the commands that show them.

#include <QMdiSubWindow>
#include <algorithm>

#include "app/MDIForm1.h"
#include "app/Twips.h"
#include "app/clsBots.h"
#include "app/editing/frmEditBot.h"
#include "app/editing/frmPartsBar.h"
#include "app/frmBot.h"
#include "app/motion/frmControlMotors.h"
#include "app/motion/frmCutToolPath.h"
#include "app/motion/frmInverseKinematics.h"
#include "app/motion/frmJointSliders.h"
#include "app/motion/frmMotionPlot.h"

namespace mechanon {
namespace {

// The part editor and the motor control window take this width on the left, twips.
constexpr double kLeftColumnTwips = 5000;

void BringToFront(QMdiArea& area, QMdiSubWindow& window) {
    window.show();
    window.raise();
    area.setActiveSubWindow(&window);
}

}  // namespace

QRect MDIForm1::LeftColumn() const {
    const int top = partsBar_->height();
    return QRect(0, top, TwipsToPixelsX(*this, kLeftColumnTwips),
                 std::max(0, area_->viewport()->height() - top));
}

std::vector<QMdiSubWindow*> MDIForm1::ToolWindows() const {
    std::vector<QMdiSubWindow*> windows;
    if (work_) windows.push_back(work_);
    if (auto* plot = findChild<frmMotionPlot*>("frmMotionPlot")) windows.push_back(plot);
    if (auto* sliders = findChild<frmJointSliders*>("frmJointSliders")) windows.push_back(sliders);
    if (auto* ik = findChild<frmInverseKinematics*>("frmInverseKinematics")) windows.push_back(ik);
    if (auto* record = findChild<QMdiSubWindow*>("frmRecordMotion")) windows.push_back(record);
    return windows;
}

void MDIForm1::ShowToolWindow(QMdiSubWindow& window) {
    window.showNormal();
    window.setGeometry(LeftColumn());
    BringToFront(*area_, window);
}

void MDIForm1::ArrangeForms() {
    for (QMdiSubWindow* w :
         std::initializer_list<QMdiSubWindow*>{partsBar_, botView_, editBot_, controlMotors_})
        w->showNormal();
    partsBar_->show();
    botView_->show();
    const int W = area_->viewport()->width();
    const int V = area_->viewport()->height();
    partsBar_->setGeometry(0, 0, W, TwipsToPixelsY(*this, kPartsBarHeightTwips));
    const int H = partsBar_->height();
    const int left = TwipsToPixelsX(*this, kLeftColumnTwips);
    botView_->setGeometry(left, H, W - left, V - H);
    editBot_->setGeometry(0, H, left, V - H);
    controlMotors_->setGeometry(0, H, left, V - H);
    // The tool windows keep their place in the left column, whether shown or closed.
    for (QMdiSubWindow* tool : ToolWindows())
        if (!tool->isMinimized()) tool->setGeometry(LeftColumn());
    BringToFront(*area_, motorsInFront_ ? static_cast<QMdiSubWindow&>(*controlMotors_)
                                        : static_cast<QMdiSubWindow&>(*editBot_));
}

void MDIForm1::StartUpLayout() {
    const int W = area_->viewport()->width();
    const int V = area_->viewport()->height();
    const int left = TwipsToPixelsX(*this, kLeftColumnTwips);
    botView_->showNormal();
    botView_->setGeometry(left, partsBar_->height(), W - left, V - partsBar_->height());
    partsBar_->NameColor = QColor(0, 0, 128);
    partsBar_->setGeometry(0, 0, W, partsBar_->height());
    editBot_->setGeometry(0, partsBar_->height(), left, V - partsBar_->height());
    // The motor control window shares the editor's place and starts behind it; it shows the
    // room's motors once it is first brought to the front.
    controlMotors_->setGeometry(0, partsBar_->height(), left, V - partsBar_->height());
    BringToFront(*area_, *editBot_);
    // The first room was made before the windows had their places: they show it now.
    bots_.Changes().Announce({ChangeKind::RoomAdded, bots_.PartRooms().ActivePartRoom.get()});
    MarkDocumentClean();
}

void MDIForm1::ShowParts() {
    editBot_->showNormal();
    BringToFront(*area_, *editBot_);
    motorsInFront_ = false;
}

void MDIForm1::ShowEditBot() {
    editBot_->showNormal();
    BringToFront(*area_, *editBot_);
}

void MDIForm1::ShowDriveMotors() {
    motorsInFront_ = true;
    controlMotors_->UpdateInterface();
    BringToFront(*area_, *controlMotors_);
}

void MDIForm1::ShowPartsBar() {
    partsBar_->show();
    if (partsBar_->isMinimized()) partsBar_->showNormal();
    partsBar_->raise();
    partsBar_->UpdatePics();
    partsBar_->SetBorderStyle();
}

void MDIForm1::ShowGraphics() {
    botView_->show();
    if (botView_->isMinimized()) botView_->showNormal();
    botView_->raise();
}

void MDIForm1::ShowBotMaximised() {
    botView_->showMaximized();
    botView_->show();
}

}  // namespace mechanon
