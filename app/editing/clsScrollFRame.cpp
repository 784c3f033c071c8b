#include "app/editing/clsScrollFRame.h"

#include <climits>
#include <cmath>

#include "app/Twips.h"

namespace mechanon {
namespace {

// Half to even (the default rounding mode), as the bar's integer properties round.
int RoundHalfEven(double value) {
    const double r = std::nearbyint(value);
    if (r >= INT_MAX) return INT_MAX;
    if (r <= INT_MIN) return INT_MIN;
    return static_cast<int>(r);
}

}  // namespace

ScrollRange ComputeScrollRange(double frameWidth, double barWidth) {
    ScrollRange range;
    if (!(frameWidth > barWidth)) return range;
    range.Enabled = true;
    range.Max = RoundHalfEven(frameWidth - barWidth);
    const int large = RoundHalfEven(range.Max / 10.0);
    const int small = RoundHalfEven(range.Max / 100.0);
    range.LargeChange = large >= 1 ? large : 10;
    range.SmallChange = small >= 1 ? small : 1;
    return range;
}

void clsScrollFRame::SetHScroll(QScrollBar* bar) {
    disconnect(subscription_);
    bar_ = bar;
    if (bar_)
        subscription_ = connect(bar_, &QScrollBar::valueChanged, this, &clsScrollFRame::Scrolled);
}

void clsScrollFRame::ZeroFrame() {
    if (!pubFrame || !bar_) return;
    pubFrame->move(0, pubFrame->y());
    const ScrollRange range = ComputeScrollRange(pubFrame->width() * TwipsPerPixelX(*pubFrame),
                                                 bar_->width() * TwipsPerPixelX(*bar_));
    if (!range.Enabled) {
        bar_->setEnabled(false);
        return;
    }
    bar_->setEnabled(true);
    bar_->setRange(0, range.Max);
    bar_->setValue(0);
    bar_->setPageStep(range.LargeChange);
    bar_->setSingleStep(range.SmallChange);
}

void clsScrollFRame::Scrolled(int value) {
    if (pubFrame) pubFrame->move(-TwipsToPixelsX(*pubFrame, value), pubFrame->y());
    Q_EMIT Change();
}

}  // namespace mechanon
