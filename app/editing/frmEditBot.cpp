#include "app/editing/frmEditBot.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/DesktopBasics.h"
#include "app/Twips.h"
#include "app/clsBots.h"
#include "app/editing/ReportErrors.h"
#include "app/editing/ShortNumberBox.h"
#include "app/editing/WrappedCheckBox.h"
#include "app/editing/frmSubParts.h"
#include "model/NumberText.h"
#include "model/Records.h"
#include "model/clsRooms.h"

namespace mechanon {
namespace {

// Design geometry, twips.
constexpr double kFrameLeft = 240, kFrameTop = 2280, kFrameWidth = 4455, kFrameHeight = 3495;
constexpr double kStripLeft = 120, kStripTop = 1920, kStripWidth = 4695, kStripHeight = 3975;
constexpr double kButtonRowTop = 1560, kButtonHeight = 255;
// Below this inner height, twips, the layout is left as it is.
constexpr double kSmallestLaidOutHeight = 5000;

QGroupBox* Group(const QString& caption, QWidget* parent, std::initializer_list<QWidget*> fields) {
    auto* group = new QGroupBox(caption, parent);
    auto* row = new QHBoxLayout(group);
    row->setContentsMargins(4, 2, 4, 4);
    row->setSpacing(4);
    for (QWidget* field : fields) {
        field->setParent(group);
        row->addWidget(field);
    }
    return group;
}

QLineEdit* LineEdit(const char* name) {
    auto* box = new QLineEdit;
    box->setObjectName(name);
    return box;
}

QPlainTextEdit* MultiLine(const char* name) {
    auto* box = new QPlainTextEdit;
    box->setObjectName(name);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return box;
}

QRadioButton* Option(const char* name, const QString& caption) {
    auto* option = new QRadioButton(caption);
    option->setObjectName(name);
    return option;
}

// The frame's own layout: its field groups from the top, the Apply and Ok buttons at the
// bottom right.
QVBoxLayout& FrameLayout(QGroupBox& frame) {
    return *static_cast<QVBoxLayout*>(frame.layout());
}

// A group of boxes into a frame, above the frame's two buttons.
void AddToFrame(QGroupBox* frame, QWidget* group) {
    QVBoxLayout& layout = FrameLayout(*frame);
    layout.insertWidget(layout.count() - 2, group);
}

}  // namespace

frmEditBot::frmEditBot(clsBots& bots, QWidget* parent)
    : ChildWindow(parent), bots_(bots), motorTypes_(this), dimensions_(this) {
    setObjectName("frmEditBot");
    setWindowTitle("Edit Skeleton");
    ShowPickerModal = [](frmSubParts& picker) { picker.exec(); };
    body_ = new QWidget(this);
    body_->setObjectName("frmEditBotClient");
    QFont font = body_->font();
    font.setPixelSize(11);
    body_->setFont(font);
    BuildUpperArea();
    BuildFrames();
    setWidget(body_);
    body_->installEventFilter(this);

    // Load: the spin controls, the part itself edited first, the shape list, one frame shown.
    BuildSpinControls();
    if (const auto room = bots_.PartRooms().ActivePartRoom) room->ActiveSubIndex = 0;
    UpdateShapesBox();
    framMotor->hide();
    framPosition->hide();
    framCamera->hide();
    // Until the first fill, the part itself is what the window shows.
    framSubPartDescription->hide();
    framSubPartPosition->hide();
    TabStrip2->hide();
    Connect();
    changes_ = bots_.Changes().Subscribe([this](const Change& change) { ShowChange(change); });
}

frmEditBot::~frmEditBot() = default;

void frmEditBot::Place(QWidget* w, double left, double top, double width, double height) const {
    w->setGeometry(TwipsToPixelsX(*this, left), TwipsToPixelsY(*this, top),
                   TwipsToPixelsX(*this, width), TwipsToPixelsY(*this, height));
}

void frmEditBot::BuildUpperArea() {
    TreeView1 = new QTreeWidget(body_);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    Place(TreeView1, 120, 0, 4575, 1455);
    cmdAddPart = new QPushButton("Add &SubPart", body_);
    cmdAddPart->setObjectName("cmdAddPart");
    Place(cmdAddPart, 120, kButtonRowTop, 1215, kButtonHeight);
    cmdDeletePart = new QPushButton("&Delete SubPart", body_);
    cmdDeletePart->setObjectName("cmdDeletePart");
    Place(cmdDeletePart, 1440, kButtonRowTop, 1335, kButtonHeight);
    chkReddenSelection = new WrappedCheckBox("Show Selected In Red", body_);
    chkReddenSelection->setObjectName("chkReddenSelection");
    chkReddenSelection->setChecked(true);
    // Two lines of caption fit the design height at this size.
    QFont small = chkReddenSelection->font();
    small.setPixelSize(10);
    chkReddenSelection->setFont(small);
    Place(chkReddenSelection, 3240, kButtonRowTop, 1455, 375);
    // The design widths cut the captions in larger fonts: each button is as wide as its
    // caption needs, and what stands to its right moves along.
    const int gap = TwipsToPixelsX(*this, 105);
    cmdAddPart->resize(std::max(cmdAddPart->width(), cmdAddPart->sizeHint().width()),
                       cmdAddPart->height());
    cmdDeletePart->move(std::max(cmdDeletePart->x(), cmdAddPart->geometry().right() + gap),
                        cmdDeletePart->y());
    cmdDeletePart->resize(std::max(cmdDeletePart->width(), cmdDeletePart->sizeHint().width()),
                          cmdDeletePart->height());
    chkReddenSelection->move(
        std::max(chkReddenSelection->x(), cmdDeletePart->geometry().right() + gap),
        chkReddenSelection->y());
    TabStrip1 =
        new TabStrip({"Description", "Camera / Shape", "Part Position", "Motor Position"}, body_);
    TabStrip1->setObjectName("TabStrip1");
    Place(TabStrip1, kStripLeft, kStripTop, kStripWidth, kStripHeight);
    TabStrip2 = new TabStrip({"Description", "SubPart Position"}, body_);
    TabStrip2->setObjectName("TabStrip2");
    Place(TabStrip2, kStripLeft, kStripTop, kStripWidth, kStripHeight);
}

QGroupBox* frmEditBot::MakeFrame(const char* name, const QString& caption,
                                 const QString& applyCaption, const QString& okCaption) {
    auto* frame = new QGroupBox(caption, body_);
    frame->setObjectName(name);
    frame->setAutoFillBackground(true);
    Place(frame, kFrameLeft, kFrameTop, kFrameWidth, kFrameHeight);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(3);
    auto* apply = new QPushButton(applyCaption);
    apply->setObjectName(QString("Command1_%1").arg(Command1.size()));
    auto* ok = new QPushButton(okCaption);
    ok->setObjectName(QString("Command2_%1").arg(Command2.size()));
    Command1.push_back(apply);
    Command2.push_back(ok);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(apply);
    buttons->addWidget(ok);
    layout->addStretch(1);
    layout->addLayout(buttons);
    return frame;
}

void frmEditBot::BuildFrames() {
    framDescription = MakeFrame("framDescription", "Part Description", "Apply", "Ok");
    txtName = LineEdit("txtName");
    txtDescription = MultiLine("txtDescription");
    AddToFrame(framDescription, Group("Name", framDescription, {txtName}));
    QGroupBox* description = Group("Description", framDescription, {txtDescription});
    AddToFrame(framDescription, description);
    FrameLayout(*framDescription).setStretchFactor(description, 1);

    BuildCameraFrame();

    framPosition = MakeFrame("framPosition", "Positioning", "Apply", "Ok");
    txtPosition = LineEdit("txtPosition");
    txtRotations = LineEdit("txtRotations");
    AddToFrame(framPosition, Group("Home Position", framPosition, {txtPosition}));
    AddToFrame(framPosition,
               Group("Home Attitude (Pitch, Yaw, Roll)", framPosition, {txtRotations}));

    BuildMotorFrame();

    framSubPartDescription =
        MakeFrame("framSubPartDescription", "SubPart Description", "Apply", "Ok");
    txtSubName = LineEdit("txtSubName");
    txtReferencedPartName = LineEdit("txtReferencedPartName");
    txtReferencedPartName->setEnabled(false);
    txtSubPartDescription = MultiLine("txtSubPartDescription");
    AddToFrame(framSubPartDescription,
               Group("Sub Part Name", framSubPartDescription, {txtSubName}));
    AddToFrame(framSubPartDescription,
               Group("Referenced Part Name", framSubPartDescription, {txtReferencedPartName}));
    QGroupBox* subDescription =
        Group("Description", framSubPartDescription, {txtSubPartDescription});
    AddToFrame(framSubPartDescription, subDescription);
    FrameLayout(*framSubPartDescription).setStretchFactor(subDescription, 1);

    framSubPartPosition = MakeFrame("framSubPartPosition", "Sub Part Position", "Apply", "Ok");
    txtSubPosition = LineEdit("txtSubPosition");
    txtSubAttitude = LineEdit("txtSubAttitude");
    AddToFrame(framSubPartPosition, Group("Home Position", framSubPartPosition, {txtSubPosition}));
    AddToFrame(framSubPartPosition,
               Group("Home Attitude (Pitch, Yaw, Roll)", framSubPartPosition, {txtSubAttitude}));

    for (QGroupBox* frame : {framDescription, framCamera, framPosition, framMotor,
                             framSubPartDescription, framSubPartPosition})
        frame->raise();
}

void frmEditBot::BuildCameraFrame() {
    framCamera = MakeFrame("framCamera", "Camera / Shape", "Apply", "Ok");
    txtSize = LineEdit("txtSize");
    txtColor = LineEdit("txtColor");
    cmbShape = new QComboBox;
    cmbShape->setObjectName("cmbShape");
    cmbShape->setEditable(true);
    cmbShape->setInsertPolicy(QComboBox::NoInsert);
    cmbShape->setCompleter(nullptr);
    auto* sizeAndColor = new QWidget(framCamera);
    auto* pair = new QHBoxLayout(sizeAndColor);
    pair->setContentsMargins(0, 0, 0, 0);
    pair->setSpacing(4);
    pair->addWidget(Group("Shape Size", sizeAndColor, {txtSize}));
    pair->addWidget(Group("Shape Color", sizeAndColor, {txtColor}));
    AddToFrame(framCamera, sizeAndColor);
    AddToFrame(framCamera, Group("Shape Name", framCamera, {cmbShape}));
    txtCameraX = LineEdit("txtCameraX");
    txtCameraY = LineEdit("txtCameraY");
    txtCameraZ = LineEdit("txtCameraZ");
    AddToFrame(framCamera, Group("Camera Position, in X,Y,Z", framCamera,
                                 {txtCameraX, txtCameraY, txtCameraZ}));
    txtLookAtX = LineEdit("txtLookAtX");
    txtLookAtY = LineEdit("txtLookAtY");
    txtLookAtZ = LineEdit("txtLookAtZ");
    AddToFrame(framCamera,
               Group("Look At, in X,Y,Z", framCamera, {txtLookAtX, txtLookAtY, txtLookAtZ}));
}

void frmEditBot::BuildMotorFrame() {
    framMotor = MakeFrame("framMotor", "Motor", "&Apply", "&Ok");
    optRotational = Option("optRotational", "Rotational");
    optLinear = Option("optLinear", "Linear");
    optNone = Option("optNone", "none");
    AddToFrame(framMotor, Group("Motor Type", framMotor, {optRotational, optLinear, optNone}));
    optOne = Option("optOne", "One");
    optTwo = Option("optTwo", "Two");
    optThree = Option("optThree", "Three");
    AddToFrame(framMotor, Group("Dimension Index", framMotor, {optOne, optTwo, optThree}));
    for (QRadioButton* option : {optNone, optLinear, optRotational}) motorTypes_.addButton(option);
    for (QRadioButton* option : {optOne, optTwo, optThree}) dimensions_.addButton(option);
    optNone->setChecked(true);
    txtJointHomePosition = LineEdit("txtJointHomePosition");
    AddToFrame(framMotor, Group("Motor Location", framMotor, {txtJointHomePosition}));
    auto* motorPosition = new QWidget(framMotor);
    auto* row = new QHBoxLayout(motorPosition);
    row->setContentsMargins(4, 0, 4, 0);
    row->addWidget(new QLabel("Motor Default Position", motorPosition));
    txtMotorPosition = LineEdit("txtMotorPosition");
    txtMotorPosition->setParent(motorPosition);
    row->addWidget(txtMotorPosition);
    AddToFrame(framMotor, motorPosition);
}

void frmEditBot::BuildSpinControls() {
    const auto attach = [this](std::unique_ptr<clsSpinText>& spin, QLineEdit* box) {
        spin = std::make_unique<clsSpinText>();
        spin->SetMyTextBox(box);
        connect(spin.get(), &clsSpinText::FireSpin, this,
                [this] { RunReportingErrors([this] { UpdateBot(); }); });
    };
    attach(SpinSubPosition, txtSubPosition);
    attach(SpinSubRotation, txtSubAttitude);
    attach(SpinSize, txtSize);
    attach(SpinPosition, txtPosition);
    attach(SpinRotation, txtRotations);
    attach(SpinJointPosition, txtJointHomePosition);
    attach(SpinColor, txtColor);
    attach(SpinMotorPosition, txtMotorPosition);
    attach(SpinCameraX, txtCameraX);
    attach(SpinCameraY, txtCameraY);
    attach(SpinCameraZ, txtCameraZ);
    attach(SpinLookAtX, txtLookAtX);
    attach(SpinLookAtY, txtLookAtY);
    attach(SpinLookAtZ, txtLookAtZ);
}

void frmEditBot::Connect() {
    for (QPushButton* apply : Command1)
        connect(apply, &QPushButton::clicked, this, &frmEditBot::Apply);
    for (QPushButton* ok : Command2) connect(ok, &QPushButton::clicked, this, &frmEditBot::Ok);
    // Enter in a single-line box stores like Apply; the description boxes take it as a line
    // break and the shape box ignores it.
    for (QLineEdit* box :
         {txtName, txtSize, txtColor, txtCameraX, txtCameraY, txtCameraZ, txtLookAtX, txtLookAtY,
          txtLookAtZ, txtPosition, txtRotations, txtJointHomePosition, txtMotorPosition, txtSubName,
          txtSubPosition, txtSubAttitude, txtReferencedPartName})
        connect(box, &QLineEdit::returnPressed, this, &frmEditBot::Apply);
    cmbShape->lineEdit()->installEventFilter(this);
    connect(cmbShape, &QComboBox::activated, this, [this](int index) {
        RunReportingErrors([this, index] {
            if (cmbShape->itemText(index) == kMeshChoice)
                ChooseMesh();
            else
                UpdateBot();
        });
    });
    connect(TabStrip1, &TabStrip::Clicked, this,
            [this] { RunReportingErrors([this] { ShowTabbedFrame(); }); });
    connect(TabStrip2, &TabStrip::Clicked, this,
            [this] { RunReportingErrors([this] { ShowTabbedFrame(); }); });
    connect(TreeView1, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item, int) { PathClicked(NodePath(*item)); });
    connect(TreeView1, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { RunReportingErrors([&] { FillNode(*item); }); });
    using torvane::MotorKind;
    const std::pair<QRadioButton*, MotorKind> kinds[] = {{optNone, MotorKind::None},
                                                         {optLinear, MotorKind::Linear},
                                                         {optRotational, MotorKind::Rotational}};
    for (const auto& [option, kind] : kinds)
        connect(option, &QRadioButton::clicked, this,
                [this, kind] { OnMotorTypeClicked(torvane::MotorTypeOf(kind)); });
    for (QRadioButton* option : {optOne, optTwo, optThree})
        connect(option, &QRadioButton::clicked, this, &frmEditBot::OnDimensionClicked);
    connect(chkReddenSelection, &QCheckBox::clicked, this, [this] {
        RunReportingErrors([this] {
            bots_.Changes().Announce({ChangeKind::Display, nullptr, this});
        });
    });
    connect(cmdAddPart, &QPushButton::clicked, this,
            [this] { RunReportingErrors([this] { AddSubPart(); }); });
    connect(cmdDeletePart, &QPushButton::clicked, this,
            [this] { RunReportingErrors([this] { DeleteSubPart(); }); });
}

bool frmEditBot::eventFilter(QObject* watched, QEvent* event) {
    if (watched == body_ && event->type() == QEvent::Resize) Resize();
    if (watched == cmbShape->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
    }
    return ChildWindow::eventFilter(watched, event);
}

void frmEditBot::Apply() {
    ReportApplied(StoreFields());
}

bool frmEditBot::StoreFields() {
    return RunReportingErrors([this] {
        UpdateBot();
        UpdateTree();
    });
}

void frmEditBot::ReportApplied(bool applied) {
    const auto room = bots_.PartRooms().ActivePartRoom;
    const QString name = room ? QString::fromStdString(room->Name()) : QString();
    ReportInStatusBar(*this, applied ? "Applied the fields to " + name + "."
                                     : "The fields were not applied to " + name + ".");
}

void frmEditBot::Ok() {
    const bool stored = StoreFields();
    ReportApplied(stored);
    if (stored) hide();
}

void frmEditBot::NodeClicked(int index) {
    PathClicked(index > 1 ? std::vector<std::int32_t>{index - 1} : std::vector<std::int32_t>{});
    UpdateTree();  // no click on the tree made its node current: the tree is told
}

void frmEditBot::PathClicked(const std::vector<std::int32_t>& path) {
    RunReportingErrors([&] {
        const auto room = bots_.PartRooms().ActivePartRoom;
        if (!room) return;
        room->SelectPath(path);
        bots_.Changes().Announce({ChangeKind::Selection, room.get(), this});
    });
}

void frmEditBot::ShowChange(const Change& change) {
    const bool mine = change.Source == this;
    switch (change.Kind) {
        case ChangeKind::Camera:
            // The settled camera of a drag; the other fields keep what is typed in them.
            if (const auto room = bots_.PartRooms().ActivePartRoom; room && !change.Live)
                ShowCamera(room->PartData().Camera);
            return;
        case ChangeKind::MotorValues:
        case ChangeKind::Texts:
        case ChangeKind::Display:
            return;
        case ChangeKind::Fields:
            if (mine) return;  // the fields show what was stored from them
            break;
        default:
            break;
    }
    UpdateInterface();
    // A node clicked in the tree stays the current one.
    if (change.Kind != ChangeKind::Selection || !mine) UpdateTree();
}

void frmEditBot::OnMotorTypeClicked(int MotorType) {
    RunReportingErrors([&] {
        SetDimensionCaptions(MotorType);
        UpdateBot(true);
    });
}

void frmEditBot::OnDimensionClicked() {
    RunReportingErrors([&] { UpdateBot(true); });
}

void frmEditBot::SelectOption(QButtonGroup& group, QRadioButton* option) {
    if (option) {
        option->setChecked(true);
        return;
    }
    // An exclusive group keeps one option checked; clearing all needs it relaxed a moment.
    group.setExclusive(false);
    for (QAbstractButton* button : group.buttons()) button->setChecked(false);
    group.setExclusive(true);
}

void frmEditBot::SetDimensionCaptions(int MotorType) {
    static const char* const kCaptions[3][3] = {
        {"No Motor", "No Motor", "No Motor"}, {"X", "Y", "Z"}, {"Pitch", "Yaw", "Roll"}};
    if (MotorType < 0 || MotorType > 2) return;
    optOne->setText(kCaptions[MotorType][0]);
    optTwo->setText(kCaptions[MotorType][1]);
    optThree->setText(kCaptions[MotorType][2]);
}

void frmEditBot::ShowTabbedFrame() {
    for (QGroupBox* frame : {framDescription, framCamera, framPosition, framMotor,
                             framSubPartDescription, framSubPartPosition})
        frame->hide();
    const auto room = bots_.PartRooms().ActivePartRoom;
    const bool partItself = !room || room->ActiveSubIndex == 0;
    TabStrip1->setVisible(partItself);
    TabStrip2->setVisible(!partItself);
    QGroupBox* shown = nullptr;
    if (partItself) {
        const QString caption = TabStrip1->SelectedCaption();
        if (caption == "Camera / Shape")
            shown = framCamera;
        else if (caption == "Part Position")
            shown = framPosition;
        else if (caption == "Motor Position")
            shown = framMotor;
        else if (caption == "Description")
            shown = framDescription;
    } else {
        const QString caption = TabStrip2->SelectedCaption();
        if (caption == "SubPart Position")
            shown = framSubPartPosition;
        else if (caption == "Description")
            shown = framSubPartDescription;
    }
    if (shown) {
        shown->show();
        shown->raise();
    }
}

void frmEditBot::UpdateShapesBox() {
    cmbShape->clear();
    cmbShape->addItem("No Shape");
    const auto shapes = bots_.PartRooms().Shapes;
    if (!shapes) return;
    for (const QString& name : QString::fromStdString(shapes->ShapeNames()).split(','))
        cmbShape->addItem(name);
    cmbShape->addItem(kMeshChoice);
}

void frmEditBot::SelectShape(const std::string& InShapeName) {
    const QString wanted = QString::fromStdString(InShapeName);
    for (int i = 0; i < cmbShape->count(); ++i)
        if (cmbShape->itemText(i) == wanted) cmbShape->setCurrentIndex(i);
}

void frmEditBot::ShowCamera(const torvane::typCamera& camera) {
    const std::pair<QLineEdit*, double> fields[] = {
        {txtCameraX, camera.CameraX}, {txtCameraY, camera.CameraY}, {txtCameraZ, camera.CameraZ},
        {txtLookAtX, camera.LookAtX}, {txtLookAtY, camera.LookAtY}, {txtLookAtZ, camera.LookAtZ},
    };
    for (const auto& [field, value] : fields)
        if (field) ShowShortNumber(*field, value);
}

void frmEditBot::UpdateTree() {
    const QSignalBlocker quiet(TreeView1);  // filling is no click and no expansion
    TreeView1->clear();
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room) return;
    auto* root = new QTreeWidgetItem(TreeView1, QStringList{QString::fromStdString(room->Name())});
    FillNode(*root);
    TreeView1->expandItem(root);
    if (root->childCount() > 0) TreeView1->scrollToItem(root->child(root->childCount() - 1));
    // The selection is shown: its node opened up to, made current and in view.
    QTreeWidgetItem* selected = root;
    for (const std::int32_t position : room->SelectedPath()) {
        FillNode(*selected);
        TreeView1->expandItem(selected);
        if (position > selected->childCount()) break;
        selected = selected->child(position - 1);
    }
    TreeView1->clearSelection();
    TreeView1->setCurrentItem(selected);
    TreeView1->scrollToItem(selected);
}

std::vector<std::int32_t> frmEditBot::NodePath(QTreeWidgetItem& node) {
    std::vector<std::int32_t> path;
    for (QTreeWidgetItem* at = &node; at->parent(); at = at->parent())
        path.insert(path.begin(), at->parent()->indexOfChild(at) + 1);
    return path;
}

void frmEditBot::FillNode(QTreeWidgetItem& node) {
    if (node.childCount() > 0) return;
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room) return;
    // The room whose subparts the node lists: the active room, or the one its subpart uses.
    std::shared_ptr<torvane::clsPartRoom> listed = room;
    const std::vector<std::int32_t> path = NodePath(node);
    if (!path.empty()) {
        const auto [holder, position] = torvane::SubPartAtPath(room, path);
        listed = position > 0 ? holder->SubParts(position).Part : nullptr;
    }
    if (!listed) return;
    // Rooms further down get their children when they are opened, so that a big robot's tree
    // is not built all at once.
    for (const auto& sub : listed->SubParts) {
        const std::string used = sub->Part ? sub->Part->Name() : std::string();
        auto* child = new QTreeWidgetItem(
            &node, QStringList{QString::fromStdString(sub->Name() + " (" + used + ")")});
        if (sub->Part && !sub->Part->SubParts.Empty())
            child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
}

void frmEditBot::Resize() {
    const double H = body_->height() * TwipsPerPixelY(*this);
    if (H < kSmallestLaidOutHeight) return;
    const double frameTop = H - 100 - kFrameHeight;
    for (QGroupBox* frame : {framDescription, framCamera, framPosition, framMotor,
                             framSubPartDescription, framSubPartPosition})
        frame->move(frame->x(), TwipsToPixelsY(*this, frameTop));
    const double tabTop = H - kStripHeight - 50;
    TabStrip1->move(TabStrip1->x(), TwipsToPixelsY(*this, tabTop));
    TabStrip2->move(TabStrip2->x(), TwipsToPixelsY(*this, tabTop));
    const double buttonTop = tabTop - kButtonHeight - 100;
    for (QWidget* w :
         std::initializer_list<QWidget*>{cmdAddPart, cmdDeletePart, chkReddenSelection})
        w->move(w->x(), TwipsToPixelsY(*this, buttonTop));
    TreeView1->setGeometry(TreeView1->x(), TwipsToPixelsY(*this, 50), TreeView1->width(),
                           TwipsToPixelsY(*this, buttonTop - 150));
}

}  // namespace mechanon
