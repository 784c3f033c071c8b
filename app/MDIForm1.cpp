#include "app/MDIForm1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QResizeEvent>
#include <QScreen>

#include "app/DesktopBasics.h"
#include "app/DocumentState.h"
#include "app/MainWindowView.h"
#include "app/ProgramName.h"
#include "app/Twips.h"
#include "app/clsBots.h"
#include "app/editing/ReportErrors.h"
#include "app/editing/frmEditBot.h"
#include "app/editing/frmPartsBar.h"
#include "app/frmBot.h"
#include "app/motion/frmControlMotors.h"
#include "app/undo/DocumentHistory.h"
#include "model/Error.h"
#include "platform/UserInterface.h"
#include "shapes/MeshShape.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {
namespace {

// The smallest main window, twips.
constexpr double kMinWidthTwips = 12000;
constexpr double kMinHeightTwips = 8000;

}  // namespace

std::string SlashPath(const std::string& lPath) {
    if (!lPath.empty() && lPath.back() == '\\') return lPath;
    return lPath + "\\";
}

QString CaptionForPath(const std::string& path, bool modified) {
    const QString mark = modified ? "*" : "";
    if (path.empty()) return mark + kProgramName;
    return mark + kProgramName + "     " + QString::fromStdString(path);
}

MDIForm1::MDIForm1(clsBots& bots, std::shared_ptr<torvane::frmMSComms> ports)
    : bots_(bots), ports_(std::move(ports)) {
    setObjectName("MDIForm1");
    setWindowTitle(kProgramName);
    OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    ProgramFolder = QCoreApplication::applicationDirPath();
    // Mesh names of the robot this window starts with are absolute until it is saved; a folder
    // left by an earlier window in the same process must not resolve them.
    primora::SetMeshFolder({});

    area_ = new QMdiArea(this);
    area_->setObjectName("MDIArea");
    area_->setBackground(QColor(128, 128, 128));
    setCentralWidget(area_);

    // Each window subscribes to the document's changes as it is made, and is told of a change in
    // this order: the view draws last, once the bar has the thumbnail its picture goes to.
    partsBar_ = new frmPartsBar(bots_);
    editBot_ = new frmEditBot(bots_);
    controlMotors_ = new frmControlMotors(bots_);
    botView_ = new frmBot(bots_);
    for (ChildWindow* child :
         std::initializer_list<ChildWindow*>{partsBar_, controlMotors_, editBot_, botView_}) {
        area_->addSubWindow(child);
        child->show();
    }
    partsBar_->resize(partsBar_->width(), TwipsToPixelsY(*this, kPartsBarHeightTwips));
    glueView_ = std::make_unique<MainWindowView>(*this, *botView_, *editBot_, *partsBar_);
    bots_.AttachView(*glueView_);

    document_ = new DocumentState(
        bots_, [this](bool modified) { setWindowTitle(CaptionForPath(currentPath_, modified)); },
        this);
    // The caption's mark follows an undo or a redo at once, whichever window asked for it.
    changes_ = bots_.Changes().Subscribe([this](const Change& change) {
        if (change.Kind == ChangeKind::History) document_->Refresh();
    });
    CreateActions();
    CreateToolbar();
    UpdateUndoActions();
    CreateMotionWindows();
    AddDesktopBasics(*this);
    setMinimumSize(TwipsToPixelsX(*this, kMinWidthTwips), TwipsToPixelsY(*this, kMinHeightTwips));
    // A roomy first size that still fits the screen; never below the least size.
    QSize first(1280, 860);
    if (const QScreen* screen = this->screen())
        first = first.boundedTo(screen->availableSize() * 0.9);
    resize(std::max(minimumWidth(), first.width()), std::max(minimumHeight(), first.height()));
}

MDIForm1::~MDIForm1() = default;

bool MDIForm1::RunCommand(void (MDIForm1::*command)()) {
    const bool done = RunReportingErrors([this, command] { (this->*command)(); });
    document_->Refresh();
    return done;
}

void MDIForm1::RunReportedCommand(const QString& caption, void (MDIForm1::*command)()) {
    const int before = StatusReports(*this);
    const bool done = RunCommand(command);
    ReportUnreportedCommand(*this, caption, done, before);
}

void MDIForm1::SetDocumentPath(const std::string& path) {
    currentPath_ = path;
    setWindowTitle(CaptionForPath(path, DocumentModified()));
}

bool MDIForm1::DocumentModified() const {
    return document_->IsModified();
}

void MDIForm1::MarkDocumentClean() {
    bots_.History().MarkClean();
    document_->MarkClean();
}

void MDIForm1::ShutDown(std::int16_t& Cancel) {
    if (!MayReplaceDocument("exiting")) Cancel = 1;
}

void MDIForm1::closeEvent(QCloseEvent* event) {
    std::int16_t cancel = 0;
    ShutDown(cancel);
    if (cancel != 0) {
        event->ignore();
        return;
    }
    for (ChildWindow* child :
         std::initializer_list<ChildWindow*>{partsBar_, controlMotors_, editBot_, botView_})
        child->SetProgramClosing(true);
    // A graph, re-timing or drive still running in a nested event loop ends at once.
    if (bots_.HasToolPathControl()) bots_.ToolPathControl().RequestStop();
    event->accept();
}

void MDIForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!isMinimized()) {
        const QSize least(TwipsToPixelsX(*this, kMinWidthTwips),
                          TwipsToPixelsY(*this, kMinHeightTwips));
        if (width() < least.width() || height() < least.height())
            resize(std::max(width(), least.width()), std::max(height(), least.height()));
    }
    if (!Loaded) return;
    // A tool window in front stays there when the windows follow the new size.
    QMdiSubWindow* front = area_->activeSubWindow();
    ArrangeForms();
    for (QMdiSubWindow* tool : ToolWindows())
        if (tool == front && tool->isVisible()) ShowToolWindow(*tool);
}

}  // namespace mechanon
