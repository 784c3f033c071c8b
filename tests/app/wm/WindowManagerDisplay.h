#pragma once
// A display of the test's own with a real window manager on it: Xvfb on a free display number
// (the server picks it and reports it), then openbox, which maps, decorates and places the
// program's windows as a desktop does. Both end with this object.

#include <QProcess>
#include <QString>
#include <memory>

namespace mechanon::testing {

class WindowManagerDisplay {
  public:
    // Starts both; Error() says what failed when Ready() is false.
    WindowManagerDisplay(int width, int height);
    ~WindowManagerDisplay();
    WindowManagerDisplay(const WindowManagerDisplay&) = delete;
    WindowManagerDisplay& operator=(const WindowManagerDisplay&) = delete;

    bool Ready() const { return error_.isEmpty(); }
    const QString& Error() const { return error_; }
    // ":N", for DISPLAY.
    const QString& Name() const { return name_; }

  private:
    bool StartServer(int width, int height);
    bool StartWindowManager();

    std::unique_ptr<QProcess> server_;
    std::unique_ptr<QProcess> manager_;
    QString name_;
    QString error_;
};

}  // namespace mechanon::testing
