#include "app/editing/frmPartsBar.h"

#include <QPainter>
#include <QResizeEvent>

#include "app/SnapShots.h"
#include "app/clsBots.h"
#include "model/clsRooms.h"

namespace mechanon {
namespace {

constexpr int kThumbWidth = 72;
constexpr int kThumbHeight = 48;
constexpr int kGap = 4;

}  // namespace

frmPartsBar::frmPartsBar(clsBots& bots, QWidget* parent) : ChildWindow(parent), bots_(bots) {
    setObjectName("frmPartsBar");
    setWindowTitle("Parts Bar");
    body_ = new QWidget(this);
    Frame1 = new QWidget(body_);
    Frame1->setObjectName("Frame1");
    HScroll1 = new QScrollBar(Qt::Horizontal, body_);
    HScroll1->setObjectName("HScroll1");
    connect(HScroll1, &QScrollBar::valueChanged, this,
            [this](int value) { Frame1->move(-value, Frame1->y()); });
    auto* templ = new QLabel(Frame1);
    templ->setGeometry(0, 0, kThumbWidth, kThumbHeight);
    templ->hide();
    picParts_.push_back(templ);
    setWidget(body_);
}

QSize frmPartsBar::ThumbnailSize() const { return {kThumbWidth, kThumbHeight}; }

QRect frmPartsBar::ThumbnailGeometry(int index) const { return Thumbnail(index)->geometry(); }

void frmPartsBar::UpdatePics() {
    const auto& rooms = bots_.PartRooms();
    const int total = rooms.TotalRooms;
    while (ThumbnailCount() < total) {
        const int i = ThumbnailCount() + 1;
        auto* label = new QLabel(Frame1);
        label->setObjectName(QString("picParts%1").arg(i));
        const int left = i == 1 ? 0 : Thumbnail(i - 1)->x() + kThumbWidth + kGap;
        label->setGeometry(left, 0, kThumbWidth, kThumbHeight);
        label->show();
        picParts_.push_back(label);
    }
    while (ThumbnailCount() > total) {
        QLabel* gone = picParts_.back();
        gone->hide();
        gone->deleteLater();  // owned by Frame1
        picParts_.pop_back();
    }
    const QLabel* last = Thumbnail(ThumbnailCount());
    Frame1->resize(last->x() + last->width(), kThumbHeight + 2);
    for (int i = 1; i <= total; ++i) {
        const auto room = rooms.Rooms(i);
        const QImage* shot = SnapShotImage(room->SnapShot);
        QImage picture = shot ? *shot : QImage(ThumbnailSize(), QImage::Format_RGB32);
        if (!shot) picture.fill(Qt::white);
        SetThumbnailPicture(i, WithName(picture, QString::fromStdString(room->Name()), NameColor));
    }
}

void frmPartsBar::SetBorderStyle() {
    const int active = bots_.PartRooms().PartRoomIndex();
    for (int i = 1; i <= ThumbnailCount(); ++i)
        Thumbnail(i)->setFrameStyle(i == active ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
}

void frmPartsBar::RewriteText() {
    const auto& rooms = bots_.PartRooms();
    const int active = rooms.PartRoomIndex();
    if (active < 1 || active > ThumbnailCount() || !rooms.ActivePartRoom) return;
    SetThumbnailPicture(active, WithName(ThumbnailPicture(active),
                                         QString::fromStdString(rooms.ActivePartRoom->Name()),
                                         NameColor));
}

void frmPartsBar::ZeroFrame() {
    Frame1->move(0, 0);
    const int excess = Frame1->width() - HScroll1->width();
    if (excess > 0) {
        HScroll1->setEnabled(true);
        HScroll1->setRange(0, excess);
        HScroll1->setValue(0);
        HScroll1->setPageStep(std::max(1, excess / 10));
        HScroll1->setSingleStep(std::max(1, excess / 100));
    } else {
        HScroll1->setEnabled(false);
    }
}

bool frmPartsBar::ThumbnailFullyVisible(int index) const {
    if (index < 1 || index > ThumbnailCount()) return false;
    const QLabel* b = Thumbnail(index);
    const int frameLeft = Frame1->x();
    return b->x() >= std::abs(frameLeft) && b->x() + b->width() <= body_->width() - frameLeft;
}

QImage frmPartsBar::WithName(QImage picture, const QString& name, const QColor& color) {
    QPainter painter(&picture);
    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(QRect(2, 0, picture.width() - 2, 14), Qt::AlignLeft | Qt::AlignTop, name);
    return picture;
}

void frmPartsBar::SetThumbnailPicture(int index, const QImage& picture) {
    Thumbnail(index)->setPixmap(QPixmap::fromImage(
        picture.scaled(ThumbnailSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

QImage frmPartsBar::ThumbnailPicture(int index) const {
    return Thumbnail(index)->pixmap().toImage();
}

void frmPartsBar::resizeEvent(QResizeEvent* event) {
    ChildWindow::resizeEvent(event);
    const int width = body_->width();
    Frame1->setGeometry(Frame1->x(), 0, Frame1->width(), kThumbHeight + 2);
    HScroll1->setGeometry(0, body_->height() - 14, std::max(1, width), 14);
    ZeroFrame();
}

}  // namespace mechanon
