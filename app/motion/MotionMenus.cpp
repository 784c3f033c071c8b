#include "app/motion/MotionMenus.h"

#include <QAction>

#include "app/MDIForm1.h"
#include "app/frmBot.h"
#include "app/motion/MotionCommand.h"
#include "app/motion/frmControlMotors.h"
#include "app/motion/frmCutToolPath.h"
#include "app/motion/frmMotorsProperties.h"
#include "app/motion/frmRS232.h"

namespace mechanon {
namespace {

void OnMenu(MDIForm1& main, const char* name, std::function<void()> command) {
    QAction* item = main.MenuItem(name);
    if (!item) return;
    QObject::connect(item, &QAction::triggered, &main,
                     [command = std::move(command)] { RunMotionCommand(command); });
}

// The tool-path window in front, with the 3D view beside it.
void ShowWork(MDIForm1& main, frmCutToolPath& work) {
    work.showNormal();
    QMdiArea& area = main.Area();
    QMdiSubWindow& view = main.BotView();
    view.showNormal();
    const int left = work.width();
    const QSize inner = area.viewport()->size();
    view.setGeometry(left, 0, std::max(0, inner.width() - left), inner.height());
    work.raise();
    area.setActiveSubWindow(&work);
}

}  // namespace

void ConnectMotionMenus(MDIForm1& main, clsBots& bots) {
    auto* work = new frmCutToolPath(bots, main.ControlMotors());
    main.Area().addSubWindow(work);
    work->hide();
    auto* properties = new frmMotorsProperties(bots, &main);
    auto* testMotor = new frmRS232(&main);
    OnMenu(main, "mnuTestMotor", [testMotor] { testMotor->exec(); });
    OnMenu(main, "mnuMotorsProperties", [&main, properties] {
        // The Properties page of Control Motors shows the same list.
        if (properties->exec() == QDialog::Accepted) main.ControlMotors().Activated();
    });
    OnMenu(main, "mnuWork", [&main, work] { ShowWork(main, *work); });
}

}  // namespace mechanon
