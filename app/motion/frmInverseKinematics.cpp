// The inverse kinematics window: its widgets, its tip list and chain, and how it follows the
// document. Solving, jogging and dragging are in frmInverseKinematicsSolve.cpp.

#include "app/motion/frmInverseKinematics.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/frmBot.h"
#include "app/motion/MotionCommand.h"
#include "app/motion/TipHandle.h"
#include "model/clsRooms.h"
#include "toolpath/RoomMotorList.h"

namespace mechanon {
namespace {

// Where the tip list keeps each tip's link name, beside its key.
constexpr int kLinkNameRole = Qt::UserRole + 1;

// What RobotChain is given to find a tip: its occurrence path, or the link name of the room
// itself, whose path is empty.
QString KeyOf(const ChainTip& tip) {
    return QString::fromStdString(tip.OccurrencePath.empty() ? tip.LinkName : tip.OccurrencePath);
}

QString LabelOf(const ChainTip& tip) {
    const QString name = QString::fromStdString(tip.LinkName);
    return tip.OccurrencePath.empty()
               ? name + "  (the room)"
               : name + "  (" + QString::fromStdString(tip.OccurrencePath) + ")";
}

// How many motors of the room's table lie on the way from the room to the tip at path: those of
// the occurrences whose paths lead there (the room's own motor, with the empty path, too).
std::size_t MotorsOnTheWay(const std::vector<std::string>& motorPaths, const std::string& path) {
    return static_cast<std::size_t>(
        std::count_if(motorPaths.begin(), motorPaths.end(), [&path](const std::string& motor) {
            return motor.empty() || motor == path ||
                   (path.size() > motor.size() && path.starts_with(motor) &&
                    path[motor.size()] == '/');
        }));
}

// The tip that the window starts with: the farthest out on the chain with the most motors (of
// equal chains the last in walk order). Counted from the paths, so that a big robot does not
// make a chain for every occurrence.
int DefaultTip(const torvane::clsPartRoom& room, const std::vector<ChainTip>& tips) {
    const std::vector<std::string> motorPaths = torvane::MotorOccurrencePaths(room);
    int chosen = 0;
    std::size_t most = 0;
    for (std::size_t i = 0; i < tips.size(); ++i) {
        const std::size_t motors = MotorsOnTheWay(motorPaths, tips[i].OccurrencePath);
        if (motors >= most) {
            most = motors;
            chosen = static_cast<int>(i);
        }
    }
    return chosen;
}

QLineEdit* NumberBox(const char* name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

}  // namespace

frmInverseKinematics::frmInverseKinematics(clsBots& bots, frmBot& view, QWidget* parent)
    : ChildWindow(parent), bots_(bots) {
    setObjectName("frmInverseKinematics");
    setWindowTitle(kCaption);
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    auto* tipRow = new QHBoxLayout;
    tipRow->addWidget(new QLabel("Tip:", body));
    cmbTip = new QComboBox(body);
    cmbTip->setObjectName("cmbTip");
    tipRow->addWidget(cmbTip, 1);
    layout->addLayout(tipRow);
    lblMode = new QLabel(body);
    lblMode->setObjectName("lblMode");
    lblMode->setWordWrap(true);
    layout->addWidget(lblMode);
    layout->addWidget(BuildTargetBoxes(body));
    layout->addWidget(BuildJogButtons(body));
    layout->addStretch(1);
    setWidget(body);
    handle_ = std::make_unique<TipHandle>(
        bots_, view.Surface(),
        TipHandle::Hooks{.Tip = [this] { return TipPointNow(); },
                         .DragStarted = [this] { DragStarted(); },
                         .DraggedTo = [this](const torvane::typ3Point& p) { DraggedTo(p); },
                         .DragEnded = [this] { DragEnded(); }});
    ConnectCommands();
    changes_ = bots_.Changes().Subscribe([this](const Change& change) { ShowChange(change); });
}

frmInverseKinematics::~frmInverseKinematics() = default;

QWidget* frmInverseKinematics::BuildTargetBoxes(QWidget* parent) {
    auto* frame = new QGroupBox("Target", parent);
    auto* grid = new QGridLayout(frame);
    auto* units = new QLabel("Model units in the room's frame; degrees about its axes.", frame);
    units->setWordWrap(true);
    grid->addWidget(units, 0, 0, 1, 4);
    const char* positionNames[] = {"txtX", "txtY", "txtZ"};
    const char* orientationNames[] = {"txtRoll", "txtPitch", "txtYaw"};
    const char* positionCaptions[] = {"X", "Y", "Z"};
    const char* orientationCaptions[] = {"Roll", "Pitch", "Yaw"};
    for (std::size_t i = 0; i < 3; ++i) {
        const int row = static_cast<int>(i) + 1;
        grid->addWidget(new QLabel(positionCaptions[i], frame), row, 0);
        txtPosition[i] = NumberBox(positionNames[i], frame);
        grid->addWidget(txtPosition[i], row, 1);
        grid->addWidget(new QLabel(orientationCaptions[i], frame), row, 2);
        txtOrientation[i] = NumberBox(orientationNames[i], frame);
        grid->addWidget(txtOrientation[i], row, 3);
    }
    cmdGo = new QPushButton("Go", frame);
    cmdGo->setObjectName("cmdGo");
    cmdGo->setToolTip("Move the chain's motors so that the tip reaches the target");
    cmdPresent = new QPushButton("Present Pose", frame);
    cmdPresent->setObjectName("cmdPresent");
    cmdPresent->setToolTip("Put the tip's present pose into the boxes");
    grid->addWidget(cmdGo, 4, 0, 1, 2);
    grid->addWidget(cmdPresent, 4, 2, 1, 2);
    return frame;
}

// One row per axis of the room: move back and forth along it, turn either way about it.
QWidget* frmInverseKinematics::BuildJogButtons(QWidget* parent) {
    auto* frame = new QGroupBox("Jog", parent);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(new QLabel("Step", frame), 0, 0);
    txtStep = NumberBox("txtStep", frame);
    txtStep->setText("0.5");
    txtStep->setToolTip("Model units a move button moves the tip");
    grid->addWidget(txtStep, 0, 1);
    grid->addWidget(new QLabel("Turn", frame), 0, 2);
    txtTurnStep = NumberBox("txtTurnStep", frame);
    txtTurnStep->setText("5");
    txtTurnStep->setToolTip("Degrees a turn button turns the tip");
    grid->addWidget(txtTurnStep, 0, 3);
    const char* axes[] = {"X", "Y", "Z"};
    for (std::size_t i = 0; i < cmdJog.size(); ++i) {
        const QString axis = axes[i / 2];
        const QString sign = i % 2 == 0 ? "-" : "+";
        const QString suffix = axis + (i % 2 == 0 ? "Minus" : "Plus");
        const int row = static_cast<int>(i / 2) + 1;
        const int column = static_cast<int>(i % 2);
        cmdJog[i] = new QPushButton(sign + axis, frame);
        cmdJog[i]->setObjectName("cmdJog" + suffix);
        cmdJog[i]->setToolTip("Move the tip by the step along the room's " + axis + " axis");
        cmdTurn[i] = new QPushButton(sign + "R" + axis.toLower(), frame);
        cmdTurn[i]->setObjectName("cmdTurn" + suffix);
        cmdTurn[i]->setToolTip("Turn the tip by the turn step about the room's " + axis + " axis");
        grid->addWidget(cmdJog[i], row, column);
        grid->addWidget(cmdTurn[i], row, column + 2);
    }
    return frame;
}

void frmInverseKinematics::ConnectCommands() {
    auto run = [this](QPushButton* button, std::function<void()> work) {
        connect(button, &QPushButton::clicked, this,
                [work = std::move(work)] { RunMotionCommand(work); });
    };
    run(cmdGo, [this] { Go(); });
    // Enter in a target box is Go.
    for (QLineEdit* box : {txtPosition[0], txtPosition[1], txtPosition[2], txtOrientation[0],
                           txtOrientation[1], txtOrientation[2]})
        connect(box, &QLineEdit::returnPressed, cmdGo, &QPushButton::click);
    run(cmdPresent, [this] { ShowPresentPose(); });
    for (std::size_t i = 0; i < cmdJog.size(); ++i) {
        const auto axis = static_cast<Axis>(i / 2);
        const int sign = i % 2 == 0 ? -1 : 1;
        run(cmdJog[i], [this, axis, sign] { Jog(axis, sign); });
        run(cmdTurn[i], [this, axis, sign] { Turn(axis, sign); });
    }
    connect(cmbTip, &QComboBox::currentIndexChanged, this, [this] {
        RunMotionCommand([this] {
            BuildChain();
            ShowPresentPose();
            handle_->Refresh();
        });
    });
}

void frmInverseKinematics::showEvent(QShowEvent* event) {
    ChildWindow::showEvent(event);
    RunMotionCommand([this] { ShowPresentPose(); });
    handle_->SetShown(true);
}

void frmInverseKinematics::hideEvent(QHideEvent* event) {
    ChildWindow::hideEvent(event);
    handle_->SetShown(false);
}

void frmInverseKinematics::ShowChange(const Change& change) {
    switch (change.Kind) {
        case ChangeKind::Camera:
        case ChangeKind::Display:
        case ChangeKind::Selection:
        case ChangeKind::RoomMoved:
            return;  // the handle is drawn from the camera of each frame
        case ChangeKind::Texts:
            return;  // a new motor list is read at the next solve (RequireChain)
        case ChangeKind::MotorValues:
            if (change.Source == this || !isVisible() || !chain_) return;
            break;
        default:
            stale_ = true;
            if (!isVisible()) return;
            break;
    }
    // A robot that cannot be solved now is said in the mode label, not to whoever changed it.
    try {
        ShowPresentPose();
    } catch (const std::exception& e) {
        lblMode->setText(QString::fromStdString(e.what()));
    }
    handle_->Refresh();
}

void frmInverseKinematics::RebuildRows() {
    const QString keep = cmbTip->currentData().toString();
    {
        const QSignalBlocker quiet(cmbTip);
        cmbTip->clear();
        chain_.reset();
        const auto room = bots_.PartRooms().ActivePartRoom;
        const std::vector<ChainTip> tips = room ? ChainTips(*room) : std::vector<ChainTip>{};
        for (const ChainTip& tip : tips) {
            cmbTip->addItem(LabelOf(tip), KeyOf(tip));
            cmbTip->setItemData(cmbTip->count() - 1, QString::fromStdString(tip.LinkName),
                                kLinkNameRole);
        }
        const int kept = cmbTip->findData(keep);
        if (!tips.empty()) cmbTip->setCurrentIndex(kept >= 0 ? kept : DefaultTip(*room, tips));
    }
    stale_ = false;  // a walk that failed above is tried again next time
    BuildChain();
    ShowPresentPose();
}

void frmInverseKinematics::BuildChain() {
    chain_.reset();
    const auto room = bots_.PartRooms().ActivePartRoom;
    const QString key = cmbTip->currentData().toString();
    std::size_t motors = 0;
    if (!room || key.isEmpty()) {
        lblMode->setText("There is no part room with a tip to move.");
    } else {
        try {
            chain_.emplace(*room, key.toStdString());
            chainRoom_ = room;
            chainMotorsText_ = torvane::MotorsTextOf(*room);
            motors = chain_->Motors().size();
            lblMode->setText(
                motors == 0 ? "No motor moves this tip: choose one farther out."
                : motors >= kMotorsForOrientation
                    ? QString("Position and orientation: the chain has %1 motors.").arg(motors)
                    : QString("Position only: the chain has %1 motor%2; orientation needs six "
                              "or more.")
                          .arg(motors)
                          .arg(motors == 1 ? "" : "s"));
        } catch (const std::exception& e) {
            lblMode->setText(QString::fromStdString(e.what()));
        }
    }
    const bool orientation = motors >= kMotorsForOrientation;
    for (QLineEdit* box : txtOrientation) box->setEnabled(orientation);
    for (QPushButton* button : cmdTurn) button->setEnabled(orientation);
    txtTurnStep->setEnabled(orientation);
}

std::string frmInverseKinematics::TipName() const {
    return cmbTip->currentData(kLinkNameRole).toString().toStdString();
}

void ShowInverseKinematics(MDIForm1& main, clsBots& bots) {
    auto* window = main.findChild<frmInverseKinematics*>("frmInverseKinematics");
    if (!window) {
        window = new frmInverseKinematics(bots, main.BotView());
        main.Area().addSubWindow(window);
    }
    main.ShowToolWindow(*window);
}

}  // namespace mechanon
