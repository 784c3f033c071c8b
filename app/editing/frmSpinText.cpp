#include "app/editing/frmSpinText.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <algorithm>

#include "app/CaptionWidth.h"
#include "app/Twips.h"
#include "app/editing/ReportErrors.h"
#include "app/editing/clsSpinText.h"

namespace mechanon {
namespace {

// The window's inner size, twips: the three buttons and the mirror above them.
constexpr double kInnerWidth = 1935;
constexpr double kInnerHeight = 1095;

}  // namespace

frmSpinText::frmSpinText(clsSpinText& wrapper)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), ClassWrapper(wrapper) {
    setObjectName("frmSpinText");
    setWindowTitle(kCaption);
    // As wide as the caption needs, the controls in the middle.
    const int windowWidth = std::max(TwipsToPixelsX(*this, kInnerWidth), CaptionWidth(*this));
    const int indent = (windowWidth - TwipsToPixelsX(*this, kInnerWidth)) / 2;
    auto place = [this, indent](QWidget* w, double left, double top, double width, double height) {
        w->setGeometry(indent + TwipsToPixelsX(*this, left), TwipsToPixelsY(*this, top),
                       TwipsToPixelsX(*this, width), TwipsToPixelsY(*this, height));
    };
    Text1 = new QTextEdit(this);
    Text1->setObjectName("Text1");
    Text1->setReadOnly(true);
    Text1->setLineWrapMode(QTextEdit::NoWrap);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    place(Text1, 120, 0, 1575, 375);
    Command1 = new QPushButton("<<<", this);
    Command1->setObjectName("Command1");
    place(Command1, 0, 360, 735, 735);
    Command3 = new QPushButton("Step", this);
    Command3->setObjectName("Command3");
    place(Command3, 720, 480, 495, 495);
    Command2 = new QPushButton(">>>", this);
    Command2->setObjectName("Command2");
    place(Command2, 1200, 360, 735, 735);
    Command3->raise();
    Command1->setToolTip("Step the number down");
    Command2->setToolTip("Step the number up");
    Command3->setToolTip("Change the step size");
    setFixedSize(windowWidth, TwipsToPixelsY(*this, kInnerHeight));

    connect(Command1, &QPushButton::clicked, this,
            [this] { RunReportingErrors([this] { ClassWrapper.SpinDown(); }); });
    connect(Command2, &QPushButton::clicked, this,
            [this] { RunReportingErrors([this] { ClassWrapper.SpinUp(); }); });
    connect(Command3, &QPushButton::clicked, this,
            [this] { RunReportingErrors([this] { ClassWrapper.SetStepSize(); }); });
}

void frmSpinText::closeEvent(QCloseEvent* event) {
    // The box may have been coloured while the popup was up; closing gives it back its white.
    if (QLineEdit* box = ClassWrapper.MyTextBox) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, QColor(255, 255, 255));
        box->setPalette(palette);
    }
    QWidget::closeEvent(event);
}

}  // namespace mechanon
