#pragma once
// What stands behind a motor line, and so which set of joints drives it.

namespace torvane {

enum class DriveKind {
    Lines,      // a DC motor on the two output lines of a port of the port host, its encoder on
                // the two inputs (whatever the host's backend puts there)
    Simulated,  // a simulated DC motor with its encoder, no port involved
    // Servos on a serial bus, several on one device, each told apart by its id:
    Feetech,    // the STS/SCS protocol (serial-bus servos such as the STS3215)
    Dynamixel,  // protocol 2.0 (X series)
    Maestro,    // a USB servo controller's compact protocol; the id is the channel
};

// True for the kinds whose motors share a device as servos on one bus.
constexpr bool IsServoBus(DriveKind kind) noexcept {
    return kind == DriveKind::Feetech || kind == DriveKind::Dynamixel || kind == DriveKind::Maestro;
}

}  // namespace torvane
