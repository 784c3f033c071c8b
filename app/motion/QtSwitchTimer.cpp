#include "app/motion/QtSwitchTimer.h"

namespace mechanon {

QtSwitchTimer::QtSwitchTimer() : timer_(std::make_unique<QTimer>()) {
    timer_->setObjectName("Timer1");
    timer_->setTimerType(Qt::PreciseTimer);
    // The connection ends with the timer, which this object owns.
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] {
        if (onTick_) onTick_();
    });
}

void QtSwitchTimer::SetInterval(int Milliseconds) {
    if (Milliseconds <= 0) {
        timer_->stop();
        return;
    }
    timer_->start(Milliseconds);
}

int QtSwitchTimer::Interval() const {
    return timer_->isActive() ? timer_->interval() : 0;
}

void QtSwitchTimer::SetTickHandler(std::function<void()> onTick) {
    onTick_ = std::move(onTick);
}

}  // namespace mechanon
