#include "app/motion/DriveSettings.h"

#include <QSettings>
#include <QtGlobal>

#include "model/Error.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {

void ApplyDriveSettings(torvane::clsToolPath& ToolPath) {
    const QSettings settings;
    torvane::ControlTiming timing;
    timing.Period = settings.value(kControlPeriodKey, timing.Period * 1000).toDouble() / 1000;
    timing.Deadline = settings.value(kWatchdogKey, timing.Deadline * 1000).toDouble() / 1000;
    try {
        ToolPath.SetControlTiming(timing);
    } catch (const torvane::Error& e) {
        qWarning("Drive settings ignored, the defaults apply: %s", e.what());
        ToolPath.SetControlTiming(torvane::ControlTiming{});
    }
}

}  // namespace mechanon
