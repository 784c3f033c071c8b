#pragma once
// Every event handler of the part-editing windows runs its work through this: a failure of
// the model (a bad index, a missing object, a refused attach) is shown in a message box and
// the program carries on instead of ending inside a Qt slot.

#include <exception>
#include <string>

#include "model/Error.h"
#include "platform/UserInterface.h"

namespace mechanon {

// Thrown by a command that has already told the user why it cannot go on: it ends quietly.
struct CommandStopped final : std::exception {
    const char* what() const noexcept override { return "The command was stopped."; }
};

// Runs work; an exception it throws becomes one OK message box (none for CommandStopped).
// Returns false when work failed or stopped.
template <typename Work>
bool RunReportingErrors(Work&& work) {
    try {
        work();
        return true;
    } catch (const CommandStopped&) {
    } catch (const torvane::Error& e) {
        torvane::Host().MsgBox(std::string("The command could not be completed.\n\n") + e.what() +
                                   " (error " + std::to_string(e.Number()) + ")",
                               torvane::MsgButtons::OK);
    } catch (const std::exception& e) {
        torvane::Host().MsgBox(std::string("The command could not be completed.\n\n") + e.what(),
                               torvane::MsgButtons::OK);
    }
    return false;
}

}  // namespace mechanon
