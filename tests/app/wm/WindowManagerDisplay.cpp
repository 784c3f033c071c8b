#include "tests/app/wm/WindowManagerDisplay.h"

#include <QProcessEnvironment>

namespace mechanon::testing {
namespace {

constexpr int kStartMilliseconds = 15000;
// openbox runs this once it manages the screen; its output tells the test so.
constexpr const char* kReadyWord = "window-manager-ready";

void Stop(QProcess* process) {
    if (!process || process->state() == QProcess::NotRunning) return;
    process->terminate();
    if (!process->waitForFinished(3000)) {
        process->kill();
        process->waitForFinished(3000);
    }
}

// Reads the process's output until it holds word or the process ends.
bool WaitForOutput(QProcess& process, const QByteArray& word, QByteArray& seen) {
    while (!seen.contains(word)) {
        if (!process.waitForReadyRead(kStartMilliseconds)) return false;
        seen += process.readAllStandardOutput();
    }
    return true;
}

}  // namespace

WindowManagerDisplay::WindowManagerDisplay(int width, int height) {
    if (StartServer(width, height)) StartWindowManager();
}

WindowManagerDisplay::~WindowManagerDisplay() {
    Stop(manager_.get());
    Stop(server_.get());
}

bool WindowManagerDisplay::StartServer(int width, int height) {
    server_ = std::make_unique<QProcess>();
    server_->setProcessChannelMode(QProcess::SeparateChannels);
    server_->setStandardErrorFile(QProcess::nullDevice());
    // -displayfd 1: the server chooses a free display and writes its number to our pipe.
    server_->start("Xvfb", {"-displayfd", "1", "-screen", "0",
                            QString("%1x%2x24").arg(width).arg(height), "-nolisten", "tcp"});
    if (!server_->waitForStarted(kStartMilliseconds)) {
        error_ = "Xvfb does not start: " + server_->errorString();
        return false;
    }
    QByteArray seen;
    if (!WaitForOutput(*server_, "\n", seen)) {
        error_ = "Xvfb reported no display number";
        return false;
    }
    name_ = ":" + QString::fromLatin1(seen).trimmed();
    return true;
}

bool WindowManagerDisplay::StartWindowManager() {
    manager_ = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", name_);
    manager_->setProcessEnvironment(env);
    manager_->setStandardErrorFile(QProcess::nullDevice());
    manager_->start("openbox", {"--startup", QString("echo ") + kReadyWord});
    if (!manager_->waitForStarted(kStartMilliseconds)) {
        error_ = "openbox does not start (is it installed?): " + manager_->errorString();
        return false;
    }
    QByteArray seen;
    if (!WaitForOutput(*manager_, kReadyWord, seen)) {
        error_ = "openbox did not take the screen";
        return false;
    }
    return true;
}

}  // namespace mechanon::testing
