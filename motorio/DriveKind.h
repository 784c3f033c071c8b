#pragma once
// What stands behind a motor line, and so which set of joints drives it.

namespace torvane {

enum class DriveKind {
    Lines,      // a DC motor on the two output lines of a port of the port host, its encoder on
                // the two inputs (whatever the host's backend puts there)
    Simulated,  // a simulated DC motor with its encoder, no port involved
};

}  // namespace torvane
