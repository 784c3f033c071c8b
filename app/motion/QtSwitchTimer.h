#pragma once
// The switching timer on a window timer (QTimer with millisecond precision). Its ticks arrive
// through the event queue of the user-interface thread that made it.

#include <QTimer>
#include <memory>

#include "app/motion/SwitchTimer.h"

namespace mechanon {

class QtSwitchTimer final : public SwitchTimer {
  public:
    QtSwitchTimer();

    void SetInterval(int Milliseconds) override;
    int Interval() const override;
    void SetTickHandler(std::function<void()> onTick) override;

  private:
    std::unique_ptr<QTimer> timer_;
    std::function<void()> onTick_;
};

}  // namespace mechanon
