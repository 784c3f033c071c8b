#include "app/motion/frmControlMotors.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>
#include <optional>

#include "app/Twips.h"
#include "app/clsBots.h"
#include "app/editing/clsSpinText.h"
#include "app/motion/MotionCommand.h"
#include "app/motion/MultiLineTextBox.h"
#include "app/motion/PathCommandReports.h"
#include "app/motion/RoomMotors.h"
#include "app/motion/RunningCommand.h"
#include "app/motion/ScriptRun.h"
#include "app/motion/ToolPathCommand.h"
#include "app/motion/frmCut.h"
#include "app/undo/MotorTableCommand.h"
#include "model/JointNotes.h"
#include "model/NumberText.h"
#include "model/clsRooms.h"
#include "motorio/clsQuadEncoder.h"
#include "platform/UserInterface.h"
#include "toolpath/PathTravelCheck.h"
#include "toolpath/TripleStops.h"
#include "toolpath/clsPartPaths.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {
namespace {

// The grid's last column stops this far short of the grid's right edge, twips.
constexpr double kValueColumnMarginTwips = 300;
// Name, Position (the mask value, edited), Measured (the motor's encoder).
constexpr int kColumns = 3;
constexpr int kMeasuredColumn = 2;
constexpr int kMeasuredRefreshMs = 200;

QPushButton* Button(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QGroupBox* Frame(const QString& name, const QString& caption, QWidget* parent) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    return frame;
}

QTableWidgetItem* FixedItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

}  // namespace

frmControlMotors::frmControlMotors(clsBots& bots, QWidget* parent)
    : ChildWindow(parent), bots_(bots) {
    setObjectName("frmControlMotors");
    setWindowTitle("Control Motors");
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    TabStrip1 = new QTabBar(body);
    TabStrip1->setObjectName("TabStrip1");
    for (const char* caption : {"Manual", "XML ToolPath", "VB Script", "Properties"})
        TabStrip1->addTab(caption);
    // The four tabs share the narrow left column: narrow padding keeps every caption whole and
    // in view, with no scroll arrows.
    TabStrip1->setUsesScrollButtons(false);
    TabStrip1->setElideMode(Qt::ElideNone);
    TabStrip1->setStyleSheet("QTabBar::tab { padding: 3px 5px; }");
    layout->addWidget(TabStrip1);
    BuildManualPage();
    BuildXMLPage();
    BuildScriptPage();
    BuildPropertiesPage();
    for (QGroupBox* frame : {FrameManual, FrameXML, FrameScript, FrameProperties}) {
        frame->setParent(body);
        layout->addWidget(frame, 1);
    }
    setWidget(body);
    driveMotors_ = new frmCut(bots_, *this, this);
    // The tool path and the script are the room's as soon as they are typed (or written by a
    // command), so activation, Save and a change of room never lose them.
    for (MultiLineTextBox* box : {txtXML, txtVBScript})
        connect(box, &QPlainTextEdit::textChanged, this, [this] { CommitTexts(); });

    connect(TabStrip1, &QTabBar::currentChanged, this, [this] { ShowSelectedTab(); });
    connect(this, &QMdiSubWindow::aboutToActivate, this,
            [this] { RunMotionCommand([this] { Activated(); }); });
    ShowSelectedTab();
    UpdateCommandStates();
    changes_ = bots_.Changes().Subscribe([this](const Change& change) { ShowChange(change); });
}

frmControlMotors::~frmControlMotors() = default;

void frmControlMotors::ShowChange(const Change& change) {
    switch (change.Kind) {
        case ChangeKind::Robot:
        case ChangeKind::ActiveRoom:
        case ChangeKind::History:
            UpdateInterface();
            break;
        case ChangeKind::MotorValues:
            if (change.Source != this) ShowMotorValues();
            break;
        default:
            break;  // caught up with at the next activation
    }
}

void frmControlMotors::BuildManualPage() {
    FrameManual = Frame("FrameManual", "Manual Motor Control", this);
    auto* layout = new QVBoxLayout(FrameManual);
    MSFlexGrid1 = new QTableWidget(1, kColumns, FrameManual);
    MSFlexGrid1->setObjectName("MSFlexGrid1");
    MSFlexGrid1->horizontalHeader()->hide();
    MSFlexGrid1->verticalHeader()->hide();
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    MSFlexGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MSFlexGrid1->setItem(0, 0, FixedItem("Name"));
    MSFlexGrid1->setItem(0, 1, FixedItem("Position"));
    MSFlexGrid1->setItem(0, kMeasuredColumn, FixedItem("Measured"));
    MSFlexGrid1->installEventFilter(this);
    layout->addWidget(MSFlexGrid1, 1);

    // The cell editor lies over the cell being edited, inside the grid's viewport.
    Text1 = new QLineEdit(MSFlexGrid1->viewport());
    Text1->setObjectName("Text1");
    Text1->hide();
    connect(Text1, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (editRow_ <= 0 || editRow_ >= MSFlexGrid1->rowCount()) return;
        if (QTableWidgetItem* cell = MSFlexGrid1->item(editRow_, editColumn_)) cell->setText(text);
    });
    connect(Text1, &QLineEdit::returnPressed, this,
            [this] { RunMotionCommand([this] { ApplyPositions(); }); });
    SpinPosition = new clsSpinText(this);
    SpinPosition->SetMyTextBox(Text1);
    // A double click edits a cell, as in any table; F4 or the context menu steps its number.
    SpinPosition->OpensOnDoubleClick = false;
    connect(SpinPosition, &clsSpinText::FireSpin, this,
            [this] { RunMotionCommand([this] { ApplyPositions(); }); });
    connect(MSFlexGrid1, &QTableWidget::cellClicked, this,
            [this](int row, int column) { GridClicked(row, column); });

    Command1 = Button("Command1", "Apply Positions", FrameManual);
    cmdZeroHere = Button("cmdZeroHere", "Zero Here", FrameManual);
    cmdZeroHere->setToolTip("The selected motor's measured position becomes its 0");
    Check1 = new QCheckBox("Position Graphics", FrameManual);
    Check1->setObjectName("Check1");
    Check1->setChecked(true);
    // Read when positions are applied; driving the real motors is the tool-path page's work.
    Check2 = new QCheckBox("Position Motors", FrameManual);
    Check2->setObjectName("Check2");
    for (QWidget* w : std::initializer_list<QWidget*>{Command1, cmdZeroHere, Check1, Check2})
        layout->addWidget(w);
    connect(Command1, &QPushButton::clicked, this,
            [this] { RunMotionCommand([this] { ApplyPositions(); }); });
    connect(cmdZeroHere, &QPushButton::clicked, this,
            [this] { RunMotionCommand([this] { ZeroHere(); }); });
    // The encoders count on the line watchers' events; the column shows them a few times a second,
    // during a drive too.
    connect(&measuredTimer_, &QTimer::timeout, this, [this] { ShowMeasuredPositions(); });
    measuredTimer_.start(kMeasuredRefreshMs);
}

void frmControlMotors::BuildXMLPage() {
    FrameXML = Frame("FrameXML", "", this);
    auto* layout = new QVBoxLayout(FrameXML);
    txtXML = new MultiLineTextBox("txtXML", FrameXML);
    layout->addWidget(txtXML, 1);
    auto* periodFrame = Frame("FramePeriod", "Period", FrameXML);
    auto* periodLayout = new QVBoxLayout(periodFrame);
    txtPeriod = new QLineEdit("0.05", periodFrame);
    txtPeriod->setObjectName("txtPeriod");
    periodLayout->addWidget(txtPeriod);
    layout->addWidget(periodFrame);
    Command2 = Button("Command2", "Graph XML ToolPath", FrameXML);
    Command5 = Button("Command5", "Drive Motors", FrameXML);
    cmdTripleStop = Button("cmdTripleStop", "Expand to TripleStops", FrameXML);
    cmdWriteEllipsoid = Button("cmdWriteEllipsoid", "Write Ellipsoid", FrameXML);
    cmdStop = Button("cmdStop", "Stop", FrameXML);
    cmdMotionPlot = Button("cmdMotionPlot", "Motion Plot", FrameXML);
    for (QPushButton* b :
         {Command2, Command5, cmdTripleStop, cmdWriteEllipsoid, cmdStop, cmdMotionPlot})
        layout->addWidget(b);
    connect(Command2, &QPushButton::clicked, this,
            [this] { RunMotionCommand([this] { GraphToolPath(); }); });
    connect(Command5, &QPushButton::clicked, this,
            [this] { RunMotionCommand([this] { ShowDriveMotors(); }); });
    connect(cmdTripleStop, &QPushButton::clicked, this,
            [this] { RunMotionCommand([this] { ExpandToTripleStops(); }); });
    connect(cmdWriteEllipsoid, &QPushButton::clicked, this,
            [this] { RunMotionCommand([this] { WriteEllipsoid(); }); });
    connect(cmdStop, &QPushButton::clicked, this, [this] { StopRunning(); });
    // The plot is the main window's, shared with its Operate menu item.
    connect(cmdMotionPlot, &QPushButton::clicked, this, [this] {
        if (OpenMotionPlot) OpenMotionPlot();
    });
}

void frmControlMotors::BuildScriptPage() {
    FrameScript = Frame("FrameScript", "VB Script", this);
    auto* layout = new QVBoxLayout(FrameScript);
    txtVBScript = new MultiLineTextBox("txtVBScript", FrameScript);
    layout->addWidget(txtVBScript, 1);
    Command3 = Button("Command3", "Run Script (create XML)", FrameScript);
    layout->addWidget(Command3);
    connect(Command3, &QPushButton::clicked, this,
            [this] { RunMotionCommand([this] { RunScript(); }); });
}

void frmControlMotors::BuildPropertiesPage() {
    FrameProperties = Frame("FrameProperties", "Properties", this);
    auto* layout = new QVBoxLayout(FrameProperties);
    txtProperties = new MultiLineTextBox("txtProperties", FrameProperties);
    layout->addWidget(txtProperties, 1);
    Command4 = Button("Command4", "Apply", FrameProperties);
    layout->addWidget(Command4);
    connect(Command4, &QPushButton::clicked, this,
            [this] { RunMotionCommand([this] { Apply(); }); });
}

// ---- Window and model ----

void frmControlMotors::UpdateInterface() {
    const auto room = bots_.PartRooms().ActivePartRoom;
    shownRoom_ = room;
    shown_ = room ? room->MotorMasks() : torvane::typMotorMasks{};
    FillGrid(shown_);
    {
        // Filling the boxes from the room is no edit to commit.
        const QSignalBlocker quietXML(txtXML);
        const QSignalBlocker quietScript(txtVBScript);
        txtXML->SetText(shown_.XMLScript);
        txtVBScript->SetText(shown_.VBScript);
    }
    shownProperties_ = room ? torvane::MotorsTextOf(*room) : std::string();
    txtProperties->SetText(shownProperties_);
    HideCellEditor();
}

void frmControlMotors::CommitTexts() {
    const auto room = shownRoom_.lock();
    if (!room) return;
    const torvane::typMotorMasks before = room->MotorMasks();
    torvane::typMotorMasks masks = before;
    const std::string xml = txtXML->Text();
    const std::string script = txtVBScript->Text();
    if (masks.XMLScript == xml && masks.VBScript == script) return;
    masks.XMLScript = xml;
    masks.VBScript = script;
    room->SetMotorMasks(masks);
    RecordMotorTable(bots_, room, xml != before.XMLScript ? "Tool Path Text" : "Script Text",
                     before, true);
    shown_.XMLScript = xml;
    shown_.VBScript = script;
    bots_.Changes().Announce({ChangeKind::Texts, room.get(), this});
}

void frmControlMotors::FillGrid(const torvane::typMotorMasks& masks) {
    const int total =
        masks.Masks.IsAllocated() ? std::min(masks.TotalMasks, masks.Masks.UBound()) : 0;
    MSFlexGrid1->setRowCount(std::max(total, 0) + 1);
    const auto room = shownRoom_.lock();
    const std::vector<std::string> paths =
        room ? torvane::MotorOccurrencePaths(*room) : std::vector<std::string>{};
    followers_ = room ? room->FollowerMaskValues(masks) : std::vector<std::optional<double>>{};
    for (int i = 1; i <= total; ++i) {
        const torvane::typMotorMask& mask = masks.Masks(i);
        // Two uses of one room share its name; the subparts leading to each tell them apart.
        QString name = QString::fromStdString(mask.Name);
        const auto at = static_cast<std::size_t>(i - 1);
        if (at < paths.size() && !paths[at].empty())
            name += "  (" + QString::fromStdString(paths[at]) + ")";
        const std::optional<double> follows = FollowerValue(i);
        if (follows) name += "  follows " + QString::fromStdString(LeaderOf(mask.Name));
        MSFlexGrid1->setItem(i, 0, FixedItem(name));
        MSFlexGrid1->setItem(i, 1,
                             new QTableWidgetItem(QString::fromStdString(
                                 torvane::PlainNumberText(follows.value_or(mask.Value)))));
        MSFlexGrid1->item(i, 1)->setFlags(follows ? Qt::ItemIsEnabled
                                                  : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        MSFlexGrid1->setItem(i, kMeasuredColumn, FixedItem(""));
    }
    ShowMeasuredPositions();
    LayOutGridColumns();
}

std::optional<double> frmControlMotors::FollowerValue(int row) const {
    const auto at = static_cast<std::size_t>(row - 1);
    return row >= 1 && at < followers_.size() ? followers_[at] : std::nullopt;
}

std::string frmControlMotors::LeaderOf(const std::string& roomName) const {
    const auto room = bots_.PartRooms().GetRoomByName(roomName);
    const auto notes = room ? torvane::ReadJointNotes(room->BlankXML()).Joint : std::nullopt;
    return notes ? notes->Mimic : std::string();
}

void frmControlMotors::ShowMotorValues() {
    const auto room = shownRoom_.lock();
    if (!room || room != bots_.PartRooms().ActivePartRoom) return;
    const torvane::typMotorMasks now = room->MotorMasks();
    if (now.TotalMasks != shown_.TotalMasks) return;  // the next activation shows the new table
    const int rows =
        now.Masks.IsAllocated()
            ? std::min({now.TotalMasks, now.Masks.UBound(), MSFlexGrid1->rowCount() - 1})
            : 0;
    followers_ = room->FollowerMaskValues(now);
    for (int i = 1; i <= rows; ++i) {
        QTableWidgetItem* cell = MSFlexGrid1->item(i, 1);
        const QString text = QString::fromStdString(
            torvane::PlainNumberText(FollowerValue(i).value_or(now.Masks(i).Value)));
        if (!cell || cell->text() == text) continue;
        if (i == editRow_) HideCellEditor();  // what was typed there is no longer where it stands
        cell->setText(text);
    }
    shown_.Masks = now.Masks;
}

std::shared_ptr<torvane::clsPartRoom> frmControlMotors::ShownRoom() {
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room) return nullptr;
    const torvane::typMotorMasks now = room->MotorMasks();
    if (room == shownRoom_.lock() && now.Masks == shown_.Masks &&
        now.TotalMasks == shown_.TotalMasks)
        return room;
    UpdateInterface();
    torvane::Host().MsgBox("The motors of the part room " + room->Name() +
                               " have changed.  The window now shows them; nothing was applied.",
                           torvane::MsgButtons::OK);
    return nullptr;
}

void frmControlMotors::UpdateBot() {
    RefuseUnreadableMotorsText(txtProperties->Text());
    const auto room = ShownRoom();
    if (!room) return;
    const torvane::typMotorMasks before = room->MotorMasks();
    torvane::typMotorMasks masks = before;
    const std::vector<double> positions = GridPositions(*room, masks);
    for (std::size_t k = 0; k < positions.size(); ++k)
        masks.Masks(static_cast<int>(k + 1)).Value = positions[k];
    // Followers take what their leaders now say, so the table drives them as the view shows them.
    const std::vector<std::optional<double>> followers = room->FollowerMaskValues(masks);
    const auto follows = [&followers](int row) {
        const auto at = static_cast<std::size_t>(row - 1);
        return row >= 1 && at < followers.size() ? followers[at] : std::nullopt;
    };
    const int rows =
        masks.Masks.IsAllocated() ? std::min(masks.Masks.UBound(), MSFlexGrid1->rowCount() - 1) : 0;
    for (int row = 1; row <= rows; ++row)
        if (const std::optional<double> value = follows(row)) masks.Masks(row).Value = *value;
    RefuseOutsideTravel(*room, before, masks);
    followers_ = followers;
    for (int row = 1; row <= rows; ++row)
        if (const std::optional<double> value = follows(row))
            MSFlexGrid1->item(row, 1)->setText(
                QString::fromStdString(torvane::PlainNumberText(*value)));
    masks.XMLScript = txtXML->Text();
    masks.VBScript = txtVBScript->Text();
    masks.XMLProperties = torvane::MotorsTextToStore(*room, txtProperties->Text());
    room->SetMotorMasks(masks);
    RecordMotorTable(bots_, room, "Motor Values", before, false);
    shown_ = masks;
    shownProperties_ = torvane::MotorsTextOf(*room);
}

std::string frmControlMotors::MotorLabel(const std::vector<std::string>& paths,
                                         const torvane::typMotorMasks& masks, int row) {
    std::string motor = "\"" + masks.Masks(row).Name + "\"";
    if (const auto at = static_cast<std::size_t>(row - 1); at < paths.size() && !paths[at].empty())
        motor += " (" + paths[at] + ")";
    return motor;
}

void frmControlMotors::RefuseOutsideTravel(const torvane::clsPartRoom& room,
                                           const torvane::typMotorMasks& before,
                                           const torvane::typMotorMasks& masks) const {
    // The travel of the list being applied with the positions, which may be new.
    if (!masks.Masks.IsAllocated()) return;
    const std::vector<torvane::typMotorRange> ranges =
        torvane::MotorRangesOf(room, txtProperties->Text());
    const int rows = std::min<int>(masks.Masks.UBound(), static_cast<int>(ranges.size()));
    for (int row = 1; row <= rows; ++row) {
        const double value = masks.Masks(row).Value;
        const torvane::typMotorRange& range = ranges[static_cast<std::size_t>(row - 1)];
        // A value the table holds already is not set by it; a new one must lie within the travel.
        const bool unchanged = before.Masks.IsAllocated() && row <= before.Masks.UBound() &&
                               before.Masks(row).Value == value;
        if (unchanged || range.Contains(value)) continue;
        torvane::Host().MsgBox(
            "The position " + torvane::PlainNumberText(value) + " of motor " +
                MotorLabel(torvane::MotorOccurrencePaths(room), masks, row) +
                " lies outside its travel, " + torvane::TravelText(range) +
                ", so nothing was applied.  The travel is set by the last two fields of the "
                "motor's line in the motor list.",
            torvane::MsgButtons::OK);
        throw CommandStopped();
    }
}

std::vector<double> frmControlMotors::GridPositions(const torvane::clsPartRoom& room,
                                                    const torvane::typMotorMasks& masks) const {
    const int rows = std::min(masks.TotalMasks, MSFlexGrid1->rowCount() - 1);
    const std::vector<std::string> paths = torvane::MotorOccurrencePaths(room);
    std::vector<double> positions;
    for (int i = 1; i <= rows; ++i) {
        const QTableWidgetItem* cell = MSFlexGrid1->item(i, 1);
        const std::string text = cell ? cell->text().toStdString() : std::string();
        if (const std::optional<double> value = torvane::WholeNumberValue(text)) {
            positions.push_back(*value);
            continue;
        }
        // A guess (0, or the digits of "1 5" run together) could swing a joint far away.
        const std::string motor = MotorLabel(paths, masks, i);
        torvane::Host().MsgBox("The position \"" + text + "\" of motor " + motor +
                                   " is not a number, so nothing was applied.  Type a "
                                   "number such as 12.5 or -30.",
                               torvane::MsgButtons::OK);
        throw CommandStopped();
    }
    return positions;
}

void frmControlMotors::ShowSelectedTab() {
    const int selected = TabStrip1->currentIndex();
    QGroupBox* const frames[] = {FrameManual, FrameXML, FrameScript, FrameProperties};
    for (QGroupBox* frame : frames) frame->hide();
    if (selected >= 0 && selected < static_cast<int>(std::size(frames))) frames[selected]->show();
    if (selected != 0) HideCellEditor();
}

void frmControlMotors::Activated() {
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (room) room->MapMotorMasks();
    if (!room || room != shownRoom_.lock()) {
        UpdateInterface();
        ShowSelectedTab();
        return;
    }
    const torvane::typMotorMasks now = room->MotorMasks();
    if (now.Masks != shown_.Masks || now.TotalMasks != shown_.TotalMasks) {
        FillGrid(now);
        HideCellEditor();
    }
    {
        const QSignalBlocker quietXML(txtXML);
        const QSignalBlocker quietScript(txtVBScript);
        if (now.XMLScript != shown_.XMLScript) txtXML->SetText(now.XMLScript);
        if (now.VBScript != shown_.VBScript) txtVBScript->SetText(now.VBScript);
    }
    // The list follows the mask table while the room stores none.
    if (const std::string properties = torvane::MotorsTextOf(*room);
        properties != shownProperties_) {
        txtProperties->SetText(properties);
        shownProperties_ = properties;
    }
    shown_ = now;
    ShowSelectedTab();
}

std::string frmControlMotors::ToolPathText() const {
    return txtXML->Text();
}

double frmControlMotors::Period() const {
    return torvane::NumberValue(txtPeriod->text().toStdString());
}

// ---- Grid and cell editor ----

void frmControlMotors::GridClicked(int row, int column) {
    if (row >= 1) selectedRow_ = row;
    if (column != 1 || row < 1) return;  // only the positions are edited
    if (FollowerValue(row)) return;      // a follower moves with its leader
    editRow_ = row;
    editColumn_ = column;
    const QTableWidgetItem* cell = MSFlexGrid1->item(row, column);
    PlaceCellEditor();
    Text1->setText(cell ? cell->text() : QString());
    Text1->show();
    Text1->setFocus();
    Text1->selectAll();
}

void frmControlMotors::PlaceCellEditor() {
    if (editRow_ <= 0) return;
    const QTableWidgetItem* cell = MSFlexGrid1->item(editRow_, editColumn_);
    if (!cell) return;
    Text1->setGeometry(MSFlexGrid1->visualItemRect(cell));
}

void frmControlMotors::HideCellEditor() {
    editRow_ = 0;
    editColumn_ = 0;
    Text1->hide();
    SpinPosition->Hide();
}

void frmControlMotors::LayOutGridColumns() {
    const int width = MSFlexGrid1->viewport()->width();
    // The value columns are at least as wide as their headings; the name column gives way.
    const auto headingWidth = [this](int column) {
        const int margins = 2 * (MSFlexGrid1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin,
                                                                   nullptr, MSFlexGrid1) +
                                 1);
        return MSFlexGrid1->fontMetrics().horizontalAdvance(MSFlexGrid1->item(0, column)->text()) +
               margins + 1;
    };
    const int value = std::max(width * 3 / 10, headingWidth(1));
    const int measured = std::max(width * 3 / 10 - TwipsToPixelsX(*this, kValueColumnMarginTwips),
                                  headingWidth(kMeasuredColumn));
    const int name = std::max(
        headingWidth(0), width - value - measured - TwipsToPixelsX(*this, kValueColumnMarginTwips));
    MSFlexGrid1->setColumnWidth(0, name);
    MSFlexGrid1->setColumnWidth(1, value);
    MSFlexGrid1->setColumnWidth(kMeasuredColumn, measured);
    PlaceCellEditor();
}

bool frmControlMotors::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MSFlexGrid1 && event->type() == QEvent::Resize) LayOutGridColumns();
    return ChildWindow::eventFilter(watched, event);
}

// ---- Commands ----

void frmControlMotors::ApplyPositions() {
    UpdateBot();
    // Position Graphics off: the values are only stored, and no other window shows them.
    if (Check1->isChecked())
        bots_.Changes().Announce(
            {ChangeKind::MotorValues, bots_.PartRooms().ActivePartRoom.get(), this});
}

void frmControlMotors::Apply() {
    UpdateBot();
    bots_.Changes().Announce({ChangeKind::Texts, bots_.PartRooms().ActivePartRoom.get(), this});
}

void frmControlMotors::GraphToolPath() {
    if (RunningCommand::RefuseIfRunning()) return;
    const double period = Period();
    if (!(period > 0)) {
        torvane::Host().MsgBox("The period \"" + txtPeriod->text().toStdString() +
                                   "\" must be a number of seconds above 0.",
                               torvane::MsgButtons::OK);
        return;
    }
    UseActiveRoomMotors(bots_);
    const std::string text = txtXML->Text();
    struct EndOfGraph {
        frmControlMotors& window;
        ~EndOfGraph() {
            // The animation has moved the motors: the grid shows where they stand now.
            if (const auto room = window.bots_.PartRooms().ActivePartRoom;
                room && room == window.shownRoom_.lock()) {
                const torvane::typMotorMasks now = room->MotorMasks();
                window.shown_.Masks = now.Masks;
                window.shown_.TotalMasks = now.TotalMasks;
                window.FillGrid(now);
            }
        }
    } endOfGraph{*this};
    MarkingErrorsIn(*txtXML, [&] {
        const std::vector<torvane::typToolPathPiece> pieces = PiecesToGraph(text);
        bool stopped = false;
        // The animation polls the stop at every step and the engine inside every evaluation.
        RunStoppable([&] {
            // Nothing is drawn of a path that leaves a motor's travel.
            RefusePathOutsideTravel(bots_, text);
            bots_.ToolPathControl().DriveXMLToolPath(text, true, period);
            stopped = running_->StopRequested();
        });
        ReportFromMotionWindow(*this, GraphReport(pieces, stopped));
    });
}

template <typename Work>
void frmControlMotors::RunStoppable(Work&& work) {
    ToolPathCommand command(bots_.ToolPathControl());
    running_ = &command;
    UpdateCommandStates();
    struct EndOfCommand {
        frmControlMotors& window;
        ~EndOfCommand() {
            window.running_ = nullptr;
            window.UpdateCommandStates();
        }
    } endOfCommand{*this};
    work();
}

void frmControlMotors::StopRunning() {
    if (running_) running_->Stop();
    driveMotors_->StopDriving();
}

void frmControlMotors::ShowDriveMotors() {
    if (RunningCommand::RefuseIfRunning()) return;
    driveMotors_->exec();
}

void frmControlMotors::RunScript() {
    if (RunningCommand::RefuseIfRunning()) return;
    std::string expanded;
    MarkingErrorsIn(*txtVBScript, [&] {
        expanded = mechanon::RunScript(bots_.ToolPathControl(), txtVBScript->Text(), this);
    });
    txtXML->SetText(expanded);
    ReportFromMotionWindow(*this, ScriptReport(expanded));
}

void frmControlMotors::WriteEllipsoid() {
    txtXML->SetText(torvane::clsPartPaths().WriteEllipsoidPart());
}

void frmControlMotors::ExpandToTripleStops() {
    if (RunningCommand::RefuseIfRunning()) return;
    UseActiveRoomMotors(bots_);  // the room's default limits
    // An equation that never returns ends at Stop or Escape, the window responsive meanwhile.
    torvane::clsToolPath& toolPath = bots_.ToolPathControl();
    std::string retimed;
    torvane::RetimeSummary summary;
    MarkingErrorsIn(*txtXML, [&] {
        RunStoppable([&] {
            RefusePathOutsideTravel(bots_, txtXML->Text());
            retimed = torvane::ExpandToTripleStops(toolPath, txtXML->Text(), &summary);
        });
    });
    txtXML->SetText(retimed);
    ReportFromMotionWindow(
        *this, RetimeReport(summary, toolPath.MotorsProperties(), toolPath.cVMax, toolPath.cAMax));
}

void frmControlMotors::ShowMeasuredPositions() {
    const torvane::clsToolPath* toolPath =
        bots_.HasToolPathControl() ? &bots_.ToolPathControl() : nullptr;
    const int encoders = toolPath ? toolPath->EncoderCount() : 0;
    // During a cut the encoders belong to its control thread: show what its rounds published.
    torvane::PublishedRound round;
    const bool published = toolPath && toolPath->Cutting() && toolPath->LatestRound(round);
    // While a recording holds the motors, their encoders are its thread's: the column waits.
    if (!published && toolPath && toolPath->MotorsLent()) return;
    const auto measured = [&](int i) {
        return published ? round.Measured[static_cast<std::size_t>(i - 1)]
                         : toolPath->Encoder(i).ScaledPosition();
    };
    for (int i = 1; i < MSFlexGrid1->rowCount(); ++i) {
        QTableWidgetItem* cell = MSFlexGrid1->item(i, kMeasuredColumn);
        if (!cell) continue;
        if (published && static_cast<std::size_t>(i) > round.Measured.size()) continue;  // kept
        const QString text = i <= encoders
                                 ? QString::fromStdString(torvane::PlainNumberText(measured(i)))
                                 : QString();
        if (cell->text() != text) cell->setText(text);
    }
}

void frmControlMotors::ZeroHere() {
    const int row = selectedRow_ < MSFlexGrid1->rowCount() ? selectedRow_ : 0;
    torvane::clsToolPath& toolPath = bots_.ToolPathControl();
    if (row < 1 || row > toolPath.EncoderCount()) {
        torvane::Host().MsgBox(
            row < 1 ? "Select the motor to zero in the grid first."
                    : "The motor of row " + std::to_string(row) +
                          " has no open port yet: its position is measured from its first drive.",
            torvane::MsgButtons::OK);
        return;
    }
    toolPath.ZeroHere(row);
    ShowMeasuredPositions();
}

void frmControlMotors::UpdateCommandStates() {
    const bool running = running_ != nullptr;
    for (QWidget* w :
         std::initializer_list<QWidget*>{Command1, Command2, Command3, Command4, Command5,
                                         cmdTripleStop, cmdWriteEllipsoid, cmdZeroHere})
        w->setEnabled(!running);
    cmdStop->setEnabled(running);
}

}  // namespace mechanon
