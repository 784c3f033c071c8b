#pragma once
// mechanon-cli drive: a room's tool path driven on its motor list, without a screen.

#include <ostream>

#include "cli/CliArguments.h"

namespace mechanon::cli {

// Loads the robot and the room (--room, else the active one) with its motor list (every motor
// simulated with --simulate), re-times the room's path when it is not yet time-based, checks it
// against the motors' travel and drives it (tripping at a following error above --max-error;
// --period and --watchdog as the program's drive settings) on the
// control thread, writing progress and a summary to out (with --json the summary alone, as one
// JSON document, also when the drive ended early). SIGINT and SIGTERM stop the drive as Stop
// does in the program. Anything that keeps the path from being driven to its end raises, with the
// reason.
void RunDrive(const CliArguments& args, std::ostream& out);

}  // namespace mechanon::cli
