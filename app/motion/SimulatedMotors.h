#pragma once
// "Simulate Motors": every port the driver, the motor control window and the test motor window
// open from now on has a simulated motor behind it, so paths can be driven with no hardware.
// While it is on, the captions of the windows that drive lines end in " (simulated)".

#include <QString>
#include <functional>
#include <string>

#include "platform/SerialLine.h"

namespace torvane {
class frmMSComms;
}

namespace mechanon {

class MDIForm1;
class clsBots;

inline constexpr const char* kSimulatedMark = " (simulated)";

// Caption with the mark added or removed; never marked twice.
QString WithSimulatedMark(const QString& Caption, bool Simulated);
// True when the tool-path object's port host opens simulated motors.
bool SimulatingMotors(clsBots& Bots);
// Switches the backend of the tool-path object's port host and of the program's port host (the
// same one, unless a test gave the tool path another), then marks the drive windows' captions.
// Raises an invalid-argument error, changing nothing, while a cut runs. Ports already open keep
// their lines until they are next opened.
void SimulateMotors(MDIForm1& Main, clsBots& Bots, bool On);
// Marks or unmarks the captions of the drive windows that exist now.
void MarkDriveWindows(MDIForm1& Main, bool Simulated);

// Lines for a window that keeps one line object for its whole life (the test motor window):
// each line decides at every Open what stands behind it, a simulated motor while Ports simulates
// motors, the machine's serial device otherwise (always, without Ports): the device that
// DevicePath names at that moment when it gives one, else the device of the port number.
torvane::SerialLineFactory LinesOfBackend(std::shared_ptr<const torvane::frmMSComms> Ports,
                                          std::function<std::string()> DevicePath = {});

}  // namespace mechanon
