#include "toolpath/TripleStops.h"

#include <algorithm>

#include "model/Error.h"
#include "toolpath/MotorLimits.h"
#include "toolpath/ToolPathPieces.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

void Count(const VbArray<typToolPathSubLeg>& pieces, std::int32_t limitedBy,
           RetimeSummary& summary) {
    ++summary.Legs;
    summary.Pieces += pieces.Count();
    for (const typToolPathSubLeg& timed : pieces.Items()) summary.Duration += timed.EndS;
    std::vector<std::int32_t>& motors = summary.LimitingMotors;
    if (limitedBy > 0 && std::find(motors.begin(), motors.end(), limitedBy) == motors.end())
        motors.push_back(limitedBy);
}

}  // namespace

std::string ExpandToTripleStops(clsToolPath& ToolPath, std::string_view InText,
                                RetimeSummary* Summary) {
    clsXML& xml = ToolPath.XMLClass();
    const VbArray<typMotorProperties> motors = ToolPath.MotorsProperties();
    RetimeSummary summary;
    std::string out;
    for (const typToolPathPiece& piece : ReadToolPathPieces(xml, InText)) {
        AtPieceLine(piece, [&] {
            for (const typToolPathSubLeg& subleg : piece.Sublegs.Items()) {
                ToolPath.ThrowIfStopped("re-timing the tool path");
                // The pieces are built from positions before the end: a path that has no
                // position where it ends is refused here, not when it is driven there.
                ToolPath.EvalMotorPositions(subleg, subleg.EndS,
                                            ToolPath.EvalEqs(subleg.ParametricEQs, subleg.StartS));
                const PathLimits limits =
                    LimitsWithinMotors(ToolPath, subleg, ToolPath.cVMax, ToolPath.cAMax, motors);
                const VbArray<typToolPathSubLeg> pieces =
                    ToolPath.TripleSubleg(subleg, limits.VMax, limits.AMax);
                out += "<LEG>\r\n";
                for (const typToolPathSubLeg& timed : pieces.Items())
                    out += xml.WriteDrive(timed.StartS, timed.EndS, timed.StartPoints,
                                          timed.ParametricEQs);
                out += "</LEG>\r\n";
                Count(pieces, limits.LimitedBy, summary);
            }
        });
    }
    if (summary.Legs == 0)
        Raise(ErrorCode::FileFormat,
              "The tool path holds no DRIVE block to re-time; each motion is a DRIVE block of "
              "\"StartS=\", \"EndS=\", start points and equations, closed by \"</DRIVE>\".");
    if (Summary) *Summary = std::move(summary);
    return out;
}

}  // namespace torvane
