#pragma once
// Every event handler of the motion windows runs its work through this: a failure of the model,
// the tool-path engine or a port is shown in one message box and the program carries on; a
// command the user stopped ends quietly.

#include "app/editing/ReportErrors.h"
#include "app/motion/StoppingHost.h"

namespace mechanon {

// Runs work; returns false when it failed (after the message) or was stopped.
template <typename Work>
bool RunMotionCommand(Work&& work) {
    bool stopped = false;
    const bool done = RunReportingErrors([&] {
        try {
            work();
        } catch (const CommandStopped&) {
            stopped = true;
        }
    });
    return done && !stopped;
}

}  // namespace mechanon
