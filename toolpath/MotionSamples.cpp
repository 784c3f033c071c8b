#include "toolpath/MotionSamples.h"

#include <algorithm>

#include "toolpath/ToolPathPieces.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

// Every subleg of the path in driving order, placed end to end.
std::vector<MotionSpan> LayOut(clsToolPath& toolPath, std::string_view text) {
    std::vector<MotionSpan> spans;
    double clock = 0;
    int leg = 0;
    for (const typToolPathPiece& piece : ReadToolPathPieces(toolPath.XMLClass(), text)) {
        if (!piece.Drives() || piece.Sublegs.Count() == 0) continue;
        ++leg;
        for (const typToolPathSubLeg& subleg : piece.Sublegs.Items()) {
            MotionSpan span;
            span.Start = clock;
            span.End = clock + std::max(0.0, subleg.EndS - subleg.StartS);
            span.Leg = leg;
            span.Subleg = subleg;
            span.StartParametrics = toolPath.EvalEqs(subleg.ParametricEQs, subleg.StartS);
            clock = span.End;
            spans.push_back(std::move(span));
        }
    }
    return spans;
}

}  // namespace

const MotionSpan* MotionSamples::SpanAt(double Time) const {
    if (Spans.empty()) return nullptr;
    // The last span starting at or before Time.
    const auto after = std::upper_bound(Spans.begin(), Spans.end(), Time,
                                        [](double t, const MotionSpan& s) { return t < s.Start; });
    return after == Spans.begin() ? &Spans.front() : &*(after - 1);
}

MotionSamples SampleToolPath(clsToolPath& ToolPath, std::string_view InText) {
    MotionSamples out;
    out.Spans = LayOut(ToolPath, InText);
    for (const MotionSpan& span : out.Spans)
        out.Motors = std::max(out.Motors, static_cast<int>(MotorCountOf(span.Subleg)));
    out.Positions.assign(static_cast<std::size_t>(out.Motors), {});
    out.Velocities.assign(static_cast<std::size_t>(out.Motors), {});
    if (out.Spans.empty()) return out;

    const int perSubleg = std::clamp(kMaxPlotSamples / static_cast<int>(std::min<std::size_t>(
                                                           out.Spans.size(), kMaxPlotSamples)),
                                     2, kSamplesPerSubleg);
    std::vector<double> last(static_cast<std::size_t>(out.Motors), 0.0);
    for (std::size_t k = 0; k < out.Spans.size(); ++k) {
        const MotionSpan& span = out.Spans[k];
        ToolPath.ThrowIfStopped("sampling the tool path");
        if (k > 0)
            (span.Leg != out.Spans[k - 1].Leg ? out.LegStarts : out.SublegStarts)
                .push_back(span.Start);
        const int motors = MotorCountOf(span.Subleg);
        const std::size_t first = out.Times.size();
        for (int n = 0; n <= perSubleg; ++n) {
            const double fraction = static_cast<double>(n) / perSubleg;
            const double elapsed = (span.End - span.Start) * fraction;
            const DoubleArray p = ToolPath.EvalMotorPositions(
                span.Subleg, span.Subleg.StartS + elapsed, span.StartParametrics);
            for (int i = 1; i <= motors; ++i) last[static_cast<std::size_t>(i - 1)] = p(i);
            out.Times.push_back(span.Start + elapsed);
            for (int m = 0; m < out.Motors; ++m)
                out.Positions[static_cast<std::size_t>(m)].push_back(
                    last[static_cast<std::size_t>(m)]);
        }
        // Velocities inside the subleg only: central differences, one-sided at its two ends, so
        // a change of speed at a boundary is not smoothed away. A subleg of no duration stands.
        const std::size_t end = out.Times.size();
        for (int m = 0; m < out.Motors; ++m) {
            const std::vector<double>& p = out.Positions[static_cast<std::size_t>(m)];
            std::vector<double>& v = out.Velocities[static_cast<std::size_t>(m)];
            for (std::size_t s = first; s < end; ++s) {
                const std::size_t a = s == first ? s : s - 1;
                const std::size_t b = s + 1 == end ? s : s + 1;
                const double dt = out.Times[b] - out.Times[a];
                v.push_back(dt > 0 ? (p[b] - p[a]) / dt : 0.0);
            }
        }
    }
    return out;
}

DoubleArray PositionsAt(clsToolPath& ToolPath, const MotionSamples& Samples, double Time) {
    const MotionSpan* span = Samples.SpanAt(Time);
    if (!span) return {};
    const double at = std::clamp(Time, span->Start, span->End);
    return ToolPath.EvalMotorPositions(span->Subleg, span->Subleg.StartS + (at - span->Start),
                                       span->StartParametrics);
}

}  // namespace torvane
