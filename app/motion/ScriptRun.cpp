#include "app/motion/ScriptRun.h"

#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <exception>
#include <thread>

#include "app/CaptionWidth.h"
#include "app/motion/RunningCommand.h"
#include "model/Error.h"
#include "toolpath/StopTokenScope.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {
namespace {

// The running notice: its text and a Stop button.
class ScriptNotice final : public QDialog {
  public:
    ScriptNotice(QWidget* parent, std::function<void()> stop) : QDialog(parent) {
        setObjectName(kScriptNoticeName);
        setWindowTitle("Running Script");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(kScriptRunningText, this));
        auto* button = new QPushButton("Stop", this);
        button->setObjectName("cmdStop");
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this, [stop] { stop(); });
        KeepCaptionWhole(*this);
    }

  protected:
    // Closing the notice is no way out of the wait: it stops the script instead.
    void reject() override {}
};

}  // namespace

std::string RunScript(torvane::clsToolPath& ToolPath, const std::string& Script, QWidget* Parent,
                      int NoticeAfterMs) {
    if (!ToolPath.ScriptEval())
        torvane::Raise(torvane::ErrorCode::MissingObject, "The tool path has no script engine.");
    // The script runs on the worker, so the engine gets no poll hook: the window thread waits in
    // its own event loop below.
    torvane::StopTokenScope stop(ToolPath);
    RunningCommand running([&stop] { stop.Stop(); }, true);
    ScriptNotice notice(Parent, [&running] { running.RequestStop(); });
    running.Allow(&notice);
    QTimer noticeTimer;
    noticeTimer.setSingleShot(true);
    QObject::connect(&noticeTimer, &QTimer::timeout, &notice, [&notice] { notice.show(); });
    noticeTimer.start(NoticeAfterMs);

    QEventLoop wait;
    std::atomic<bool> finished{false};
    std::string result;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            result = ToolPath.ExpandScript(Script);
        } catch (...) {
            failure = std::current_exception();
        }
        finished = true;
        QMetaObject::invokeMethod(&wait, "quit", Qt::QueuedConnection);
    });
    if (!finished) wait.exec();
    worker.join();
    noticeTimer.stop();
    notice.hide();

    if (running.StopRequested())
        torvane::Raise(torvane::ErrorCode::ScriptError, "The script was stopped.");
    if (failure) std::rethrow_exception(failure);
    return result;
}

}  // namespace mechanon
