#pragma once
// A motion recorded from the motors' encoders, turned into tool-path text that replays it: the
// samples are thinned to the fewest straight pieces (in time) that keep every motor within a
// tolerance of every sample, and each piece becomes a time-based DRIVE block ("StartS= 0",
// "EndS=" its duration, the positions where it starts, one equation "<speed>*t" per motor), all
// in one LEG. Each piece starts exactly where the one before it ends, at a recorded sample.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "toolpath/RoomMotorList.h"

namespace torvane {

class clsXML;

// The measured positions of motors 1 to n (index 0 to n - 1) at time T, seconds.
struct typMotionSample {
    double T = 0;
    std::vector<double> Positions;
};

// What writing a recorded path made of its samples.
struct RecordedPathSummary {
    std::size_t Samples = 0;      // samples used (those taken no later than the one before dropped)
    std::size_t Pieces = 0;       // DRIVE blocks written
    double Duration = 0;          // seconds, from the first sample to the last
    double LargestDeviation = 0;  // the furthest any sample lies from the path, position units
};

// The samples the thinned path runs through, as indices of Samples in order, the first and the
// last always among them: between two neighbours, every sample of every motor lies within
// Tolerance of the straight line (in time) joining them. Every 2000th sample is kept as well, which
// bounds the work on a long recording. Samples must have increasing times and one position per
// motor each.
std::vector<std::size_t> ThinMotionSamples(const std::vector<typMotionSample>& Samples,
                                           double Tolerance);

// Puts every position of Samples that lies beyond its motor's travel (Ranges, motor 1 at index 0;
// a motor beyond the list has none) at the end it passed, so the path written from them can be
// driven. The motors that had to be moved back, from 1, each once, in order.
std::vector<std::int32_t> KeepWithinTravel(std::vector<typMotionSample>& Samples,
                                           const std::vector<typMotorRange>& Ranges);

// The tool-path text that replays Samples within Tolerance (position units, above 0), timed from
// the first sample. Samples taken no later than the sample before them are left out. Raises an
// invalid-argument error, naming what is wrong, for a tolerance that is not a finite number
// above 0, for fewer than two samples at different times, and for samples that do not all hold
// the same number (at least 1) of finite positions. Summary, when given, is filled.
std::string WriteRecordedPath(const clsXML& Xml, const std::vector<typMotionSample>& Samples,
                              double Tolerance, RecordedPathSummary* Summary = nullptr);

}  // namespace torvane
