#pragma once
// Tool-path legs made from joint values rather than written as equations: a pose appended to a
// path as a leg that starts and ends at rest, and the straight move that jogs the motors from
// where they stand to the values the sliders give. Positions are in the motors' units, motor 1
// at index 0.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {
class clsToolPath;
}

namespace mechanon {

// Where the motors stand (motors of them): what the encoders count when the motor list is all
// line-driven and its ports are open, else the last round of the last drive, else 0 (a port
// opened afresh counts from 0).
std::vector<double> WhereMotorsStand(const torvane::clsToolPath& toolPath, int motors);

// Positions as a path may start from them: a motor that stopped just beyond an end of its travel
// in toolPath's motor list (by up to two encoder steps, as a motor overshoots its target) starts
// at that end; one further out stays where it is, and the path that starts there is refused.
std::vector<double> IntoTravel(const torvane::clsToolPath& toolPath, std::vector<double> positions);

// Where path leaves the motors: the positions at the end of its last DRIVE block, evaluated as a
// drive evaluates them; none when the path drives nothing. A path that cannot be read or
// evaluated raises the reader's or the engine's error, naming the line of the failing block.
std::optional<std::vector<double>> PathEnd(torvane::clsToolPath& toolPath, std::string_view path);

// A leg that moves the motors from `from` to `to` (as many values each) in `seconds` (above 0):
// one DRIVE block whose S counts seconds from 0 and whose equations are smoothsteps,
// d*(3*(S/T)^2-2*(S/T)^3), so every motor starts and ends at rest and arrives on time.
std::string PoseLeg(const std::vector<double>& from, const std::vector<double>& to, double seconds);

// path with leg after it, on a line of its own, written with path's own line ends.
std::string AppendLeg(const std::string& path, const std::string& leg);

// The move of the motors from `from` to `to` in a straight line, re-timed within the speed and
// acceleration limits of toolPath's motor list; empty when the two are the same.
std::string JogPath(torvane::clsToolPath& toolPath, const std::vector<double>& from,
                    const std::vector<double>& to);

}  // namespace mechanon
