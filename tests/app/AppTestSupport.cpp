#include "tests/app/AppTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <cstdlib>

#include "app/MDIForm1.h"
#include "app/QtGlSurface.h"
#include "app/clsBots.h"
#include "app/modBotMain.h"
#include "model/clsRooms.h"
#include "render/clsOpenGL.h"

namespace mechanon::testing {

bool MakeActive(QWidget& window) {
    window.activateWindow();
    if (QTest::qWaitForWindowActive(&window, 1000)) return true;
    QApplication::setActiveWindow(&window);
    return QApplication::activeWindow() == &window;
}

void ProcessEventsFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    } while (timer.elapsed() < ms);
}

QImage GrabView(clsBots& bots) {
    torvane::GlImage shown;
    bots.GL().DisplayWorldList(false, &shown);
    if (shown.Empty()) return {};
    return QImage(shown.rgb.data(), shown.width, shown.height, shown.width * 3,
                  QImage::Format_RGB888)
        .copy();
}

double DifferentShare(const QImage& a, const QImage& b, int tolerance) {
    if (a.size() != b.size() || a.isNull()) return 1.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    long long different = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            if (std::abs(qRed(p[col]) - qRed(q[col])) > tolerance ||
                std::abs(qGreen(p[col]) - qGreen(q[col])) > tolerance ||
                std::abs(qBlue(p[col]) - qBlue(q[col])) > tolerance)
                ++different;
    }
    return static_cast<double>(different) / (static_cast<double>(x.width()) * x.height());
}

bool IsUniform(const QImage& image) {
    if (image.isNull()) return true;
    const QImage x = image.convertToFormat(QImage::Format_RGB32);
    const QRgb first = x.pixel(0, 0);
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            if (p[col] != first) return false;
    }
    return true;
}

QImage ScreenOfView(QtGlSurface& surface) {
    const QPoint at = surface.mapToGlobal(QPoint(0, 0));
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen->grabWindow(0, at.x(), at.y(), surface.width(), surface.height()).toImage();
}

int TallestRun(const QImage& image, const std::function<bool(QRgb)>& wanted) {
    const QImage x = image.convertToFormat(QImage::Format_RGB32);
    int tallest = 0;
    for (int col = 0; col < x.width(); ++col) {
        int run = 0;
        for (int row = 0; row < x.height(); ++row) {
            run = wanted(x.pixel(col, row)) ? run + 1 : 0;
            tallest = std::max(tallest, run);
        }
    }
    return tallest;
}

bool IsLabelColour(QRgb pixel) {
    return qRed(pixel) < 80 && qBlue(pixel) > qRed(pixel) + 50 && qBlue(pixel) < 200;
}

TempFolder::TempFolder() {
    QTemporaryDir dir(QDir::tempPath() + "/mechanon-test-XXXXXX");
    dir.setAutoRemove(false);
    if (!dir.isValid()) throw std::runtime_error("cannot make a temporary folder");
    root_ = dir.path().toStdString();
}

TempFolder::~TempFolder() {
    QDir(QString::fromStdString(root_)).removeRecursively();
}

std::string TempFolder::Path(const std::string& name) const {
    return root_ + "/" + name;
}

std::string SourcePath(const std::string& relative) {
    return std::string(MECHANON_SOURCE_DIR) + "/" + relative;
}

std::string ExamplePath(const std::string& name) {
    static const TempFolder copies;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString folder = QString::fromStdString(
        copies.Path(test ? std::string(test->test_suite_name()) + "." + test->name() : "outside"));
    const QString copy = folder + "/" + QString::fromStdString(name);
    if (!QFileInfo::exists(copy)) {
        QDir().mkpath(folder);
        const QString shipped = QString::fromStdString(SourcePath("examples/" + name));
        if (!QFile::copy(shipped, copy)) throw std::runtime_error("cannot copy " + name);
        QFile(copy).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    return copy.toStdString();
}

void AppTest::SetUp() {
    installed_ = std::make_unique<torvane::ScopedUserInterface>(ui_);
    program_ = StartProgram();
    ASSERT_TRUE(program_ && program_->Main);
    program_->Main->OpenUrl = [this](const QUrl& url) {
        openedUrls.push_back(url);
        return openUrlResult;
    };
    ProcessEventsFor(50);
    ui_.Clear();
}

void AppTest::TearDown() {
    if (program_ && program_->Main) {
        // Closing asks whether to save: the test's answer is No.
        ui_.Clear();
        ui_.messageAnswers.push_back(torvane::MsgAnswer::No);
        program_->Main->close();
    }
    program_.reset();
    ProcessEventsFor(0);
    installed_.reset();
}

MDIForm1& AppTest::Main() const {
    return *program_->Main;
}
clsBots& AppTest::Bots() const {
    return *program_->Bots;
}
torvane::clsRooms& AppTest::Rooms() const {
    return program_->Bots->PartRooms();
}
std::shared_ptr<torvane::clsPartRoom> AppTest::ActiveRoom() const {
    return Rooms().ActivePartRoom;
}

void AppTest::Choose(const QString& menuName) {
    QAction* item = Main().MenuItem(menuName);
    ASSERT_NE(item, nullptr) << menuName.toStdString();
    item->trigger();
    ProcessEventsFor(0);
}

void AppTest::ClickToolbar(const QString& key) {
    QAction* button = Main().ToolbarButton(key);
    ASSERT_NE(button, nullptr) << key.toStdString();
    QWidget* widget = Main().Toolbar().widgetForAction(button);
    ASSERT_NE(widget, nullptr) << key.toStdString();
    QTest::mouseClick(widget, Qt::LeftButton);
    ProcessEventsFor(0);
}

void AppTest::OpenFile(const std::string& path) {
    // Open asks about unsaved changes only when there are some.
    if (Main().DocumentModified()) ui_.messageAnswers.push_back(torvane::MsgAnswer::No);
    ui_.fileAnswers.push_back(path);
    Choose("mnuOpen");
}

void AppTest::WaitForSnapShots() {
    QElapsedTimer waited;
    waited.start();
    while (Bots().SnapShotsWaiting() > 0 && waited.elapsed() < 20000) ProcessEventsFor(5);
}

void AppTest::MakeAChange() {
    ui_.inputAnswers.push_back("Changed");
    Choose("mnuCreatePartRoom");
    ui_.Clear();
}

}  // namespace mechanon::testing
