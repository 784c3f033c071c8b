#include "app/motion/PoseLegs.h"

#include <algorithm>
#include <cmath>

#include "model/NumberText.h"
#include "motorio/clsQuadEncoder.h"
#include "toolpath/ToolPathPieces.h"
#include "toolpath/TripleStops.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {
namespace {

bool AllLineDriven(const torvane::clsToolPath& toolPath) {
    const torvane::VbArray<torvane::typMotorProperties> motors = toolPath.MotorsProperties();
    if (!motors.IsAllocated()) return true;
    return std::all_of(motors.Items().begin(), motors.Items().end(),
                       [](const auto& motor) { return motor.Kind == torvane::DriveKind::Lines; });
}

torvane::DoubleArray FromOne(const std::vector<double>& values) {
    return torvane::DoubleArray(1, values);
}

// The smoothstep from 0 to distance over seconds, in S.
std::string SmoothStep(double distance, double seconds) {
    if (distance == 0) return "0";
    const std::string u = "(S/" + torvane::TrimmedNumberText(seconds) + ")";
    return torvane::TrimmedNumberText(distance) + "*(3*" + u + "^2-2*" + u + "^3)";
}

}  // namespace

std::vector<double> WhereMotorsStand(const torvane::clsToolPath& toolPath, int motors) {
    std::vector<double> stand(static_cast<std::size_t>(std::max(motors, 0)), 0.0);
    if (toolPath.EncoderCount() >= motors && AllLineDriven(toolPath)) {
        for (int i = 1; i <= motors; ++i)
            stand[static_cast<std::size_t>(i - 1)] = toolPath.Encoder(i).ScaledPosition();
        return stand;
    }
    torvane::PublishedRound last;
    if (toolPath.LatestRound(last) && last.Measured.size() >= stand.size())
        std::copy_n(last.Measured.begin(), stand.size(), stand.begin());
    return stand;
}

std::vector<double> IntoTravel(const torvane::clsToolPath& toolPath,
                               std::vector<double> positions) {
    const torvane::VbArray<torvane::typMotorProperties> motors = toolPath.MotorsProperties();
    if (!motors.IsAllocated()) return positions;
    for (std::size_t i = 0; i < positions.size() && i < motors.Count(); ++i) {
        const torvane::typMotorProperties& motor = motors.Items()[i];
        const double slack = 2 * std::abs(motor.Scale);
        double& at = positions[i];
        if (motor.Lower && at < *motor.Lower && at >= *motor.Lower - slack) at = *motor.Lower;
        if (motor.Upper && at > *motor.Upper && at <= *motor.Upper + slack) at = *motor.Upper;
    }
    return positions;
}

std::optional<std::vector<double>> PathEnd(torvane::clsToolPath& toolPath, std::string_view path) {
    const std::vector<torvane::typToolPathPiece> pieces =
        torvane::ReadToolPathPieces(toolPath.XMLClass(), path);
    const auto last = std::find_if(pieces.rbegin(), pieces.rend(), [](const auto& piece) {
        return piece.Drives() && piece.Sublegs.IsAllocated() && piece.Sublegs.Count() > 0;
    });
    if (last == pieces.rend()) return std::nullopt;
    std::vector<double> end;
    torvane::AtPieceLine(*last, [&] {
        const torvane::typToolPathSubLeg& subleg = last->Sublegs.Items().back();
        if (torvane::MotorCountOf(subleg) == 0) return;
        const torvane::DoubleArray starts = toolPath.EvalEqs(subleg.ParametricEQs, subleg.StartS);
        end = toolPath.EvalMotorPositions(subleg, subleg.EndS, starts).Items();
    });
    return end;
}

std::string PoseLeg(const std::vector<double>& from, const std::vector<double>& to,
                    double seconds) {
    const std::size_t motors = std::min(from.size(), to.size());
    std::vector<std::string> equations;
    for (std::size_t i = 0; i < motors; ++i)
        equations.push_back(SmoothStep(to[i] - from[i], seconds));
    const std::vector<double> start(from.begin(),
                                    from.begin() + static_cast<std::ptrdiff_t>(motors));
    return "<LEG>\r\n" +
           torvane::clsXML().WriteDrive(0, seconds, FromOne(start),
                                        torvane::StringArray(1, std::move(equations))) +
           "</LEG>\r\n";
}

std::string AppendLeg(const std::string& path, const std::string& leg) {
    if (path.find_first_not_of(" \t\r\n") == std::string::npos) return leg;
    // A path written with bare line feeds goes on with them.
    const bool bareFeeds =
        path.find('\n') != std::string::npos && path.find("\r\n") == std::string::npos;
    std::string added = leg;
    if (bareFeeds) {
        added.clear();
        for (const char c : leg)
            if (c != '\r') added += c;
    }
    const std::string lineEnd = bareFeeds ? "\n" : "\r\n";
    return path + (path.back() == '\n' ? "" : lineEnd) + added;
}

std::string JogPath(torvane::clsToolPath& toolPath, const std::vector<double>& from,
                    const std::vector<double>& to) {
    if (from == to) return {};
    const std::string line = toolPath.XMLClass().WriteLine(FromOne(from), FromOne(to));
    return torvane::ExpandToTripleStops(toolPath, line);
}

}  // namespace mechanon
