#include "toolpath/TripleStops.h"

#include "toolpath/MotorLimits.h"
#include "toolpath/ToolPathPieces.h"
#include "toolpath/clsToolPath.h"

namespace torvane {

std::string ExpandToTripleStops(clsToolPath& ToolPath, std::string_view InText) {
    clsXML& xml = ToolPath.XMLClass();
    const VbArray<typMotorProperties> motors = ToolPath.MotorsProperties();
    std::string out;
    for (const typToolPathPiece& piece : ReadToolPathPieces(xml, InText)) {
        for (const typToolPathSubLeg& subleg : piece.Sublegs.Items()) {
            ToolPath.ThrowIfStopped("re-timing the tool path");
            const PathLimits limits =
                LimitsWithinMotors(ToolPath, subleg, ToolPath.cVMax, ToolPath.cAMax, motors);
            const VbArray<typToolPathSubLeg> pieces =
                ToolPath.TripleSubleg(subleg, limits.VMax, limits.AMax);
            out += "<LEG>\r\n";
            for (const typToolPathSubLeg& timed : pieces.Items())
                out += xml.WriteDrive(timed.StartS, timed.EndS, timed.StartPoints,
                                      timed.ParametricEQs);
            out += "</LEG>\r\n";
        }
    }
    return out;
}

}  // namespace torvane
