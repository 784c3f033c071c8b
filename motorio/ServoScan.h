#pragma once
// Finding the servos on a bus: every id the protocol allows is pinged in turn, and the servos
// that answer are listed with their model number and position.

#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "motorio/ServoProtocol.h"

namespace torvane {

struct ServoScanResult {
    std::vector<ServoFound> Servos;  // by rising id
    bool Cancelled = false;          // the cancel came before the last id was asked
    // Ids whose replies stayed unreadable (a bad checksum twice, two servos with one id): each
    // with what went wrong.
    std::vector<std::string> Troubles;
};

// How a servo of Kind is driven in degrees until its motor line says otherwise: its counts per
// degree and the count at its middle position (the Maestro counts quarter microseconds of pulse,
// 1500 us in the middle and about 90 degrees per 1000 us).
struct ServoScale {
    double Scale = 1;
    double Zero = 0;
};
ServoScale DefaultServoScale(DriveKind Kind);

// Pings ids 0 to LastId (-1: the protocol's highest) on Bus, telling Progress each id before it
// is asked; stops before the next id once Cancel is requested. A device that fails raises its
// file error.
ServoScanResult ScanServos(BusPort& Bus, ServoProtocol& Protocol, std::int32_t LastId = -1,
                           std::stop_token Cancel = {},
                           const std::function<void(std::int32_t)>& Progress = {});

// The same on Device, opened at Baud (0: the protocol's default) for the scan; a device that
// cannot be opened raises naming it. Advice gets how to set the latency timer of a USB adapter
// that slows every exchange (empty for a device without that fault).
ServoScanResult ScanDevice(DriveKind Kind, const std::string& Device, std::int32_t Baud,
                           std::int32_t LastId = -1, std::stop_token Cancel = {},
                           const std::function<void(std::int32_t)>& Progress = {},
                           std::string* Advice = nullptr);

}  // namespace torvane
