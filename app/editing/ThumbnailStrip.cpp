#include "app/editing/ThumbnailStrip.h"

#include <QPainter>
#include <algorithm>

#include "app/Twips.h"
#include "model/Error.h"

namespace mechanon {
namespace {

// The template thumbnail, twips: 96 by 72 pixels at the usual 15 twips a pixel, wide enough for
// a room's whole name and in the view's proportions, whole above the scroll bar in the parts bar.
constexpr double kThumbLeft = 0;
constexpr double kThumbTop = 0;
constexpr double kThumbWidth = 1440;
constexpr double kThumbHeight = 1080;
constexpr double kGap = 50;
// The bar is this much narrower than the window, twips.
constexpr double kBarInset = 100;
constexpr double kBarHeight = 180;

}  // namespace

ThumbnailStrip::ThumbnailStrip(QWidget* parent) : QWidget(parent) {
    Frame1 = new QWidget(this);
    Frame1->setObjectName("Frame1");
    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName("HScroll1");
    auto* templ = new PictureBox(Frame1);
    templ->setObjectName("picParts0");
    templ->setGeometry(TwipsToPixelsX(*this, kThumbLeft), TwipsToPixelsY(*this, kThumbTop),
                       TwipsToPixelsX(*this, kThumbWidth), TwipsToPixelsY(*this, kThumbHeight));
    templ->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    templ->hide();
    connect(templ, &PictureBox::Clicked, this, [this] { Q_EMIT Clicked(0); });
    picParts_.push_back(templ);
    Frame1->setGeometry(0, 0, templ->x() + templ->width(), templ->y() + templ->height());
    ScrollFrame.pubFrame = Frame1;
    ScrollFrame.SetHScroll(HScroll1);
}

QSize ThumbnailStrip::ThumbnailSize() const {
    return picParts_.front()->size();
}

PictureBox& ThumbnailStrip::Thumbnail(int index) const {
    if (index < 0 || index > Count())
        torvane::Raise(torvane::ErrorCode::SubscriptOutOfRange, "Subscript out of range");
    return *picParts_[static_cast<std::size_t>(index)];
}

PictureBox* ThumbnailStrip::MakeThumbnail(int index) {
    const PictureBox& templ = *picParts_.front();
    auto* box = new PictureBox(Frame1);
    box->setObjectName(QString("picParts%1").arg(index));
    box->setAlignment(templ.alignment());
    box->setFont(templ.font());
    box->setFrameStyle(templ.frameStyle());
    box->resize(templ.size());
    if (index == 1) {
        box->move(templ.pos());
    } else {
        // Left of the previous one, plus this one's width, plus the gap (all twips).
        const PictureBox& previous = *picParts_.back();
        const double left =
            previous.x() * TwipsPerPixelX(*this) + box->width() * TwipsPerPixelX(*this) + kGap;
        box->move(TwipsToPixelsX(*this, left), templ.y());
    }
    connect(box, &PictureBox::Clicked, this, [this, box] {
        const auto at = std::find(picParts_.begin(), picParts_.end(), box);
        if (at != picParts_.end()) Q_EMIT Clicked(static_cast<int>(at - picParts_.begin()));
    });
    box->show();
    return box;
}

void ThumbnailStrip::SetCount(int count) {
    count = std::max(count, 0);
    while (Count() < count) picParts_.push_back(MakeThumbnail(Count() + 1));
    while (Count() > count) {
        PictureBox* gone = picParts_.back();
        picParts_.pop_back();
        gone->hide();
        gone->deleteLater();  // it may be the one whose click is being handled
    }
}

void ThumbnailStrip::FitFrame() {
    const PictureBox& last = *picParts_.back();
    Frame1->resize(last.x() + last.width(), std::max(Frame1->height(), last.y() + last.height()));
}

void ThumbnailStrip::LayOut() {
    const int barHeight = TwipsToPixelsY(*this, kBarHeight);
    HScroll1->setGeometry(0, std::max(0, height() - barHeight),
                          std::max(1, width() - TwipsToPixelsX(*this, kBarInset)), barHeight);
    ScrollFrame.ZeroFrame();
}

void ThumbnailStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOut();
}

QImage ThumbnailStrip::WithName(QImage picture, const QString& name, const QColor& color) {
    QPainter painter(&picture);
    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    painter.setPen(color);
    // A name too long for the thumbnail ends in an ellipsis; the thumbnail's tip holds it whole.
    const int room = picture.width() - 4;
    const QString shown = painter.fontMetrics().elidedText(name, Qt::ElideRight, room);
    painter.drawText(QRect(2, 0, room, 14), Qt::AlignLeft | Qt::AlignTop, shown);
    return picture;
}

void ThumbnailStrip::ShowPicture(int index, const QImage* picture, const QString& name) {
    PictureBox& box = Thumbnail(index);
    QImage shown;
    if (picture && !picture->isNull()) {
        shown = picture->scaled(box.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_RGB32);
    } else {
        shown = QImage(box.size(), QImage::Format_RGB32);
        shown.fill(Qt::white);
    }
    box.setPixmap(QPixmap::fromImage(WithName(shown, name, NameColor)));
    box.setToolTip(name);
}

QImage ThumbnailStrip::Picture(int index) const {
    return Thumbnail(index).pixmap().toImage();
}

}  // namespace mechanon
