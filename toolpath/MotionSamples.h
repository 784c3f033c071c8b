#pragma once
// A tool path laid out on one time line and sampled for plotting: every subleg of every LEG and
// top-level DRIVE block, end to end, each lasting EndS - StartS seconds as the driver runs it
// (WAIT blocks take no time here). Positions come from the tool-path object's
// EvalMotorPositions, the evaluation the animation and the driver use, so a plot shows what
// will be driven. Times in seconds from the start of the path; positions in the motors' own
// units (model units, degrees for rotational motors), velocities in those units per second.

#include <string_view>
#include <vector>

#include "model/VbArray.h"
#include "toolpath/clsXML.h"

namespace torvane {

class clsToolPath;

// One subleg placed on the path's time line.
struct MotionSpan {
    double Start = 0;  // seconds from the start of the path
    double End = 0;    // Start + the subleg's duration (0 when EndS is not above StartS)
    int Leg = 0;       // the leg (LEG or top-level DRIVE block) it belongs to, from 1
    typToolPathSubLeg Subleg;
    DoubleArray StartParametrics;  // its equations at StartS, as EvalMotorPositions wants
};

struct MotionSamples {
    std::vector<MotionSpan> Spans;
    int Motors = 0;  // the most motors any subleg drives
    // Sample k lies at Times[k]; a subleg's first sample repeats the time of the previous
    // subleg's last one, so jumps of position or velocity at a boundary stay visible.
    std::vector<double> Times;
    std::vector<std::vector<double>> Positions;   // [motor - 1][sample]
    std::vector<std::vector<double>> Velocities;  // [motor - 1][sample]
    std::vector<double> LegStarts;                // start time of every leg after the first
    std::vector<double> SublegStarts;             // start time of every other subleg inside a leg

    double Duration() const { return Spans.empty() ? 0 : Spans.back().End; }
    // The span that runs at Time (clamped to the path): at a boundary, the one that starts
    // there. Null when the path has no subleg.
    const MotionSpan* SpanAt(double Time) const;
};

// The most samples a whole path gets; long paths get fewer per subleg (at least two).
inline constexpr int kMaxPlotSamples = 20000;
inline constexpr int kSamplesPerSubleg = 100;

// Reads and samples InText. A motor a subleg does not drive keeps the position it last had (0
// before its first subleg), as the animation leaves its mask alone. Reading and evaluation
// errors are raised as the tool-path object raises them; nothing partial is returned.
MotionSamples SampleToolPath(clsToolPath& ToolPath, std::string_view InText);

// The motor positions at Time, evaluated exactly (not read from the samples); indices 1 to the
// number of motors of the span at that time. Unallocated when the path has no subleg.
DoubleArray PositionsAt(clsToolPath& ToolPath, const MotionSamples& Samples, double Time);

}  // namespace torvane
