#pragma once
// Every event handler of the motion windows runs its work through this: a failure of the model,
// the tool-path engine or a port is shown in one message box and the program carries on. A
// command the user stopped between its steps ends quietly; one stopped inside an evaluation says
// which equation it stopped.

#include "app/editing/ReportErrors.h"

namespace mechanon {

// Runs work; returns false when it failed (after the message).
template <typename Work>
bool RunMotionCommand(Work&& work) {
    return RunReportingErrors(std::forward<Work>(work));
}

}  // namespace mechanon
