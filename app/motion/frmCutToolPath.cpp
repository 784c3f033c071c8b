#include "app/motion/frmCutToolPath.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "app/clsBots.h"
#include "app/motion/MotionCommand.h"
#include "app/motion/MultiLineTextBox.h"
#include "app/motion/PathCommandReports.h"
#include "app/motion/RoomMotors.h"
#include "app/motion/RunningCommand.h"
#include "app/motion/ScriptRun.h"
#include "app/motion/ToolPathCommand.h"
#include "app/motion/frmControlMotors.h"
#include "toolpath/TripleStops.h"
#include "toolpath/clsPartPaths.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {
namespace {

constexpr const char* kInitialScript = "StartT=0\r\nEndT=1\r\n0,0\r\nt,t^2";
constexpr const char* kDriveLineHint = "StartT=0\nEndT=1\nStartMotor1,StartMotor2...\nEq,Eq2...";

}  // namespace

frmCutToolPath::frmCutToolPath(clsBots& bots, frmControlMotors& controlMotors, QWidget* parent)
    : ChildWindow(parent), bots_(bots), controlMotors_(controlMotors) {
    setObjectName("frmCutToolPath");
    setWindowTitle("Work");
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);

    auto* buttons = new QGridLayout;
    auto button = [&](QPushButton*& member, const char* name, const char* caption, int row,
                      int column) {
        member = new QPushButton(caption, body);
        member->setObjectName(name);
        buttons->addWidget(member, row, column);
    };
    button(cmdOpen, "cmdOpen", "Open", 0, 0);
    button(cmdSave, "cmdSave", "Save", 0, 1);
    button(cmdOpenXML, "cmdOpenXML", "Open XML", 0, 2);
    button(cmdSaveXML, "cmdSaveXML", "Save XML", 0, 3);
    button(cmdExpand, "cmdExpand", "Expand", 1, 0);
    button(cmdTripleStop, "cmdTripleStop", "TripleStop", 1, 1);
    button(cmdWriteEllipsoid, "cmdWriteEllipsoid", "Ellipse", 1, 2);
    button(cmdGraph, "cmdGraph", "Graph Toolpath", 1, 3);
    button(cmdCut, "cmdCut", "Cut Toolpath", 1, 4);
    auto* periodFrame = new QGroupBox("Period", body);
    auto* periodLayout = new QVBoxLayout(periodFrame);
    txtPeriod = new QLineEdit("0.05", periodFrame);
    txtPeriod->setObjectName("txtPeriod");
    periodLayout->addWidget(txtPeriod);
    buttons->addWidget(periodFrame, 0, 4);
    layout->addLayout(buttons);

    Text1 = new QPlainTextEdit(kDriveLineHint, body);
    Text1->setObjectName("Text1");
    Text1->setReadOnly(true);
    Text1->setMaximumHeight(Text1->fontMetrics().lineSpacing() * 5);
    layout->addWidget(Text1);

    TabStrip1 = new QTabBar(body);
    TabStrip1->setObjectName("TabStrip1");
    TabStrip1->addTab("Scripted Toolpath");
    TabStrip1->addTab("XML Toolpath");
    layout->addWidget(TabStrip1);
    txtScript = new MultiLineTextBox("txtScript", body);
    txtScript->SetText(kInitialScript);
    txtXML = new MultiLineTextBox("txtXML", body);
    layout->addWidget(txtScript, 1);
    layout->addWidget(txtXML, 1);
    setWidget(body);
    ShowSelectedTab();

    auto command = [this](QPushButton* b, void (frmCutToolPath::*run)()) {
        connect(b, &QPushButton::clicked, this,
                [this, run] { RunMotionCommand([this, run] { (this->*run)(); }); });
    };
    connect(TabStrip1, &QTabBar::currentChanged, this, [this] { ShowSelectedTab(); });
    command(cmdOpen, &frmCutToolPath::OpenScript);
    command(cmdSave, &frmCutToolPath::SaveScript);
    command(cmdOpenXML, &frmCutToolPath::OpenXML);
    command(cmdSaveXML, &frmCutToolPath::SaveXML);
    command(cmdExpand, &frmCutToolPath::Expand);
    command(cmdTripleStop, &frmCutToolPath::TripleStop);
    command(cmdWriteEllipsoid, &frmCutToolPath::WriteEllipse);
    command(cmdCut, &frmCutToolPath::CutToolPath);
    // "Graph Toolpath" has no action here: graphing is on the motor control window.
}

void frmCutToolPath::showEvent(QShowEvent* event) {
    ChildWindow::showEvent(event);
    if (loaded_) return;
    loaded_ = true;
    RunMotionCommand([this] { UseActiveRoomMotors(bots_); });
}

void frmCutToolPath::ShowSelectedTab() {
    const bool script = TabStrip1->currentIndex() == 0;
    txtScript->setVisible(script);
    txtXML->setVisible(!script);
}

void frmCutToolPath::OpenInto(MultiLineTextBox& box, const char* filter) {
    std::string path;
    bots_.MI().GetPathFromUser(path, false, filter);
    if (path.empty()) return;
    box.SetText(bots_.MI().LoadString(path));
}

void frmCutToolPath::SaveFrom(const MultiLineTextBox& box, const char* filter) {
    std::string path;
    bots_.MI().GetPathFromUser(path, true, filter);
    if (path.empty()) return;
    bots_.MI().SaveString(path, box.Text());
}

void frmCutToolPath::OpenScript() {
    OpenInto(*txtScript, kScriptFilter);
}
void frmCutToolPath::SaveScript() {
    SaveFrom(*txtScript, kScriptFilter);
}
void frmCutToolPath::OpenXML() {
    OpenInto(*txtXML, kToolPathFilter);
}
void frmCutToolPath::SaveXML() {
    SaveFrom(*txtXML, kToolPathFilter);
}

void frmCutToolPath::Expand() {
    if (RunningCommand::RefuseIfRunning()) return;
    std::string expanded;
    MarkingErrorsIn(*txtScript, [&] {
        expanded = RunScript(bots_.ToolPathControl(), txtScript->Text(), this);
    });
    txtXML->SetText(expanded);
    ReportFromMotionWindow(*this, ScriptReport(expanded));
}

void frmCutToolPath::TripleStop() {
    if (RunningCommand::RefuseIfRunning()) return;
    UseActiveRoomMotors(bots_);  // the room's default limits
    torvane::clsToolPath& toolPath = bots_.ToolPathControl();
    std::string retimed;
    torvane::RetimeSummary summary;
    MarkingErrorsIn(*txtXML, [&] {
        // An equation that never returns ends at Escape, the window responsive meanwhile.
        const ToolPathCommand command(toolPath, true, this);
        RefusePathOutsideTravel(bots_, txtXML->Text());
        retimed = torvane::ExpandToTripleStops(toolPath, txtXML->Text(), &summary);
    });
    txtXML->SetText(retimed);
    ReportFromMotionWindow(
        *this, RetimeReport(summary, toolPath.MotorsProperties(), toolPath.cVMax, toolPath.cAMax));
}

void frmCutToolPath::WriteEllipse() {
    txtXML->SetText(torvane::clsPartPaths().WriteEllipsoidPart());
}

void frmCutToolPath::CutToolPath() {
    controlMotors_.ShowDriveMotors();
}

}  // namespace mechanon
