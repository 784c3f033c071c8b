#include "app/editing/frmSubParts.h"

#include <QVBoxLayout>
#include <cmath>

#include "app/CaptionWidth.h"
#include "app/SnapShots.h"
#include "app/Twips.h"
#include "app/clsBots.h"
#include "app/editing/ReportErrors.h"
#include "app/editing/frmEditBot.h"
#include "model/NumberText.h"
#include "model/clsRooms.h"
#include "platform/UserInterface.h"

namespace mechanon {
namespace {

// The picker's height, twips.
constexpr double kPickerHeight = 1470;

}  // namespace

frmSubParts::frmSubParts(clsBots& bots, frmEditBot& editor, QWidget* parent)
    : QDialog(parent), bots_(bots), editor_(editor), offeredNames_(1, {std::string()}) {
    setObjectName("frmSubParts");
    setWindowTitle("SubParts");
    lblInstruction = new QLabel(this);
    lblInstruction->setObjectName("lblInstruction");
    // A narrow picker (few rooms) or a long room name wraps the instruction; it is never cut.
    lblInstruction->setWordWrap(true);
    strip_ = new ThumbnailStrip(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lblInstruction);
    layout->addWidget(strip_, 1);
    connect(strip_, &ThumbnailStrip::Clicked, this, &frmSubParts::PickThumbnail);
    resize(width(), WantedHeight());
}

int frmSubParts::WantedHeight() const {
    return TwipsToPixelsY(*this, kPickerHeight) + lblInstruction->heightForWidth(width()) +
           layout()->spacing();
}

QString frmSubParts::Tag(int index) const {
    return index >= 1 && index <= tags_.size() ? tags_[index - 1] : QString();
}

void frmSubParts::SetUpSubPart(const std::shared_ptr<torvane::clsPartRoom>& InParent) {
    parent_ = InParent;
    const QString part = InParent ? QString::fromStdString(InParent->Name()) : QString();
    lblInstruction->setText(" Click the part room to use as a subpart of " + part +
                            ", or close this window to add none. ");
    KeepCaptionWhole(*this);
    resize(width(), WantedHeight());
    offeredNames_ = torvane::StringArray(1, {std::string()});
    tags_.clear();
    int offered = 0;
    const auto& rooms = bots_.PartRooms();
    std::vector<std::string> names;
    for (int i = 1; i <= rooms.TotalRooms; ++i) {
        const auto room = rooms.Rooms(i);
        // A room from which the part can be reached (the part itself, or one that contains
        // it at any depth) would close a cycle of uses.
        if (!InParent || room->CanReach(*InParent)) continue;
        ++offered;
        names.push_back(room->Name());
        strip_->SetCount(offered);
        strip_->Thumbnail(offered).show();
        tags_ << QString::fromStdString(torvane::NumberText(i));
        strip_->ShowPicture(offered, SnapShotImage(room->SnapShot),
                            QString::fromStdString(room->Name()));
    }
    if (offered > 0) offeredNames_ = torvane::StringArray(1, std::move(names));
    strip_->FitFrame();
    if (offered == 0) {
        torvane::Host().MsgBox(
            "There are no available SubParts that do not contain the current part.  You can "
            "create PartRooms with the Create Part Room command and then attach them as "
            "SubParts.",
            torvane::MsgButtons::OK);
        reject();
    }
}

void frmSubParts::PickThumbnail(int index) {
    if (index > 0) {
        RunReportingErrors([&] {
            const double position = torvane::NumberValue(Tag(index).toStdString());
            editor_.PassSubPart =
                bots_.PartRooms().Rooms(static_cast<std::int32_t>(std::nearbyint(position)));
        });
    }
    accept();
}

void frmSubParts::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The names are printed again over the pictures each time the picker comes up.
    const auto& rooms = bots_.PartRooms();
    for (int i = 1; i <= strip_->Count() && i <= tags_.size(); ++i) {
        const int position = static_cast<int>(torvane::NumberValue(Tag(i).toStdString()));
        if (position < 1 || position > rooms.TotalRooms) break;
        const auto room = rooms.Rooms(position);
        strip_->ShowPicture(i, SnapShotImage(room->SnapShot),
                            QString::fromStdString(offeredNames_(i)));
    }
}

void frmSubParts::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int wanted = WantedHeight();
    if (height() != wanted) resize(width(), wanted);
}

}  // namespace mechanon
