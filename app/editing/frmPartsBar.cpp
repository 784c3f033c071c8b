#include "app/editing/frmPartsBar.h"

#include "app/SnapShots.h"
#include "app/clsBots.h"
#include "app/editing/ReportErrors.h"
#include "model/clsRooms.h"

namespace mechanon {

frmPartsBar::frmPartsBar(clsBots& bots, QWidget* parent) : ChildWindow(parent), bots_(bots) {
    setObjectName("frmPartsBar");
    setWindowTitle("Parts Bar");
    strip_ = new ThumbnailStrip(this);
    Frame1 = strip_->Frame1;
    HScroll1 = strip_->HScroll1;
    connect(strip_, &ThumbnailStrip::Clicked, this, [this](int index) {
        if (index > 0) RunReportingErrors([&] { ActivateRoom(index); });
    });
    setWidget(strip_);
    changes_ = bots_.Changes().Subscribe([this](const Change& change) { ShowChange(change); });
}

void frmPartsBar::ShowChange(const Change& change) {
    switch (change.Kind) {
        case ChangeKind::Robot:
        case ChangeKind::RoomAdded:
        case ChangeKind::RoomRemoved:
        case ChangeKind::RoomMoved:
        case ChangeKind::ActiveRoom:
        case ChangeKind::History:
            UpdatePics();
            SetBorderStyle();
            break;
        default:
            return;  // the active room's thumbnail follows the view's next picture of it
    }
    if (change.Kind == ChangeKind::Robot) ZeroFrame();
    if (change.Kind == ChangeKind::RoomAdded) ShowLastThumbnail();
}

void frmPartsBar::ShowLastThumbnail() {
    ZeroFrame();
    if (HScroll1->isEnabled()) HScroll1->setValue(HScroll1->maximum());
}

void frmPartsBar::UpdatePics() {
    const auto& rooms = bots_.PartRooms();
    const int total = rooms.TotalRooms;
    strip_->SetCount(total);
    strip_->FitFrame();
    strip_->NameColor = NameColor;
    for (int i = 1; i <= total; ++i) {
        const auto room = rooms.Rooms(i);
        strip_->ShowPicture(i, SnapShotImage(room->SnapShot), QString::fromStdString(room->Name()));
    }
}

void frmPartsBar::SetBorderStyle() {
    // A border needs its thumbnail: a bar that has not caught up with the rooms yet (as at
    // start-up, when the first room is made after the bar) is brought in line first.
    if (strip_->Count() != bots_.PartRooms().TotalRooms) UpdatePics();
    const int active = bots_.PartRooms().PartRoomIndex();
    for (int i = 1; i <= strip_->Count(); ++i) strip_->Thumbnail(i).setFrameStyle(QFrame::NoFrame);
    if (active >= 1 && active <= strip_->Count())
        strip_->Thumbnail(active).setFrameStyle(QFrame::Box | QFrame::Plain);
}

void frmPartsBar::RewriteText() {
    const auto& rooms = bots_.PartRooms();
    const int active = rooms.PartRoomIndex();
    if (active < 1 || active > strip_->Count() || !rooms.ActivePartRoom) return;
    strip_->NameColor = NameColor;
    const QImage shown = strip_->Picture(active);
    strip_->ShowPicture(active, &shown, QString::fromStdString(rooms.ActivePartRoom->Name()));
}

void frmPartsBar::ActivateRoom(int index) {
    auto& rooms = bots_.PartRooms();
    rooms.SetPartRoomIndex(index);
    bots_.Changes().Announce({ChangeKind::ActiveRoom, rooms.ActivePartRoom.get(), this});
}

bool frmPartsBar::ThumbnailFullyVisible(int index) const {
    if (index < 1 || index > strip_->Count()) return false;
    const QRect b = ThumbnailGeometry(index);
    const int frameLeft = Frame1->x();
    return b.x() >= std::abs(frameLeft) && b.x() + b.width() <= strip_->width() - frameLeft;
}

void frmPartsBar::SetThumbnailPicture(int index, const QImage& picture) {
    PictureBox& box = strip_->Thumbnail(index);
    box.setPixmap(QPixmap::fromImage(
        picture.scaled(box.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

}  // namespace mechanon
