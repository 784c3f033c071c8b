#pragma once
// Marks a long command (a graph, a drive, a script) as running for its lifetime. While it runs,
// Escape pressed in any window of the program calls the command's stop function. With
// BlockInput the command owns the user-interface thread's attention: mouse and key input to
// every window except Allowed (and its children) is dropped, so nothing can start a second
// command or change the model under the running one.

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace mechanon {

class RunningCommand final : public QObject {
  public:
    explicit RunningCommand(std::function<void()> Stop, bool BlockInput = false,
                            QWidget* Allowed = nullptr);
    ~RunningCommand() override;
    RunningCommand(const RunningCommand&) = delete;
    RunningCommand& operator=(const RunningCommand&) = delete;

    // Lets input reach this widget too (a notice shown after the command started).
    void Allow(QWidget* widget) { allowed_ = widget; }
    // True while any command runs: a second one must not start.
    static bool AnyRunning() noexcept { return running_ > 0; }
    // When a command runs, says so in a message box and returns true: the caller must not
    // start its own.
    static bool RefuseIfRunning();

    // True once the stop function has been called.
    bool StopRequested() const noexcept { return stopRequested_; }
    void RequestStop();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool IsAllowed(QObject* watched) const;

    std::function<void()> stop_;
    bool blockInput_;
    QPointer<QWidget> allowed_;
    bool stopRequested_ = false;
    static inline int running_ = 0;
};

}  // namespace mechanon
