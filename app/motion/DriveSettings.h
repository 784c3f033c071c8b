#pragma once
// The control period and the watchdog deadline of drives, kept in the program's settings
// ("Drive/ControlPeriodMs", default 1; "Drive/WatchdogMs", default 20) and handed to the
// tool-path object when the program starts.

namespace torvane {
class clsToolPath;
}

namespace mechanon {

inline constexpr const char* kControlPeriodKey = "Drive/ControlPeriodMs";
inline constexpr const char* kWatchdogKey = "Drive/WatchdogMs";

// Settings that are missing or out of range (period above 0 up to 1000 ms, deadline above the
// period up to 10 s) leave the defaults and are reported once on the terminal.
void ApplyDriveSettings(torvane::clsToolPath& ToolPath);

}  // namespace mechanon
