#pragma once
// Whether a tool path keeps every motor within its travel, checked before anything is drawn,
// re-timed or driven. Each DRIVE piece is checked exactly where a motor is most likely to leave:
// at both ends, and at every extremum of its equation, which is first bracketed by samples and
// then refined to machine precision, so a re-timed quadratic or cubic piece that peaks between
// two samples is caught at its true peak. Positions are evaluated as the driver evaluates them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolpath/RoomMotorList.h"
#include "toolpath/ToolPathPieces.h"

namespace torvane {

class PathEvaluator;

// How far past an end of its travel a position may lie and still be within it: the rounding of
// a re-timed piece that ends on the limit, far below any encoder step.
double TravelSlack(double End) noexcept;
// True when Value lies within Range, give or take the slack.
bool WithinTravel(const typMotorRange& Range, double Value) noexcept;

// Where a path first takes a motor outside its travel.
struct typTravelExcursion {
    std::int32_t Motor = 0;  // from 1
    double LeavesAt = 0;     // the parameter S of the piece where the motor first leaves
    double Value = 0;        // its position there
    double Farthest = 0;     // the position farthest outside the travel in that piece
    double FarthestAt = 0;   // and its S
    std::size_t Line = 0;    // the line of the piece's opening tag
    PieceKind Kind = PieceKind::Drive;
};

// The first piece (in path order) that takes a motor outside Ranges (motor i has Ranges[i - 1];
// motors beyond them have no limits), and within it the motor that leaves at the smallest S. None
// when every motor stays within its travel. A piece runs from its StartS to its EndS (only its
// StartS when EndS lies below). Evaluation failures and a stop are raised as Eval raises them,
// naming the piece's line.
std::optional<typTravelExcursion> FindTravelExcursion(PathEvaluator& Eval,
                                                      const std::vector<typToolPathPiece>& Pieces,
                                                      const std::vector<typMotorRange>& Ranges);

// "-90 to 90", "at least -90", "at most 90" or "unlimited".
std::string TravelText(const typMotorRange& Range);
// How a motor is named in messages: Names[Motor - 1] when there is one, else its number.
std::string MotorNameFor(std::int32_t Motor, const std::vector<std::string>& Names);

// Raises an invalid-argument error for Excursion at its piece's line: the motor by name, its
// travel, the S where it leaves and the position there, and how far the piece takes it.
[[noreturn]] void RaiseTravelExcursion(const typTravelExcursion& Excursion,
                                       const std::vector<typMotorRange>& Ranges,
                                       const std::vector<std::string>& Names);

}  // namespace torvane
