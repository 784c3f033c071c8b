#include "toolpath/PathTravelCheck.h"

#include <cmath>
#include <functional>
#include <limits>

#include "model/Error.h"
#include "model/NumberText.h"
#include "toolpath/PathEvaluator.h"

namespace torvane {
namespace {

// Samples per piece and motor: enough to bracket every extremum of the low-order equations paths
// are written in (a re-timed cubic is of degree six in time), and cheap next to drawing a piece.
constexpr int kSamples = 64;
// Golden-section steps: each keeps 0.618 of the bracket, so this many take any bracket of a piece
// down to the spacing of doubles; the loop ends sooner when the bracket stops shrinking.
constexpr int kMaxRefineSteps = 200;
constexpr int kMaxBisectSteps = 200;

using Position = std::function<double(double)>;

// How far value lies outside range: above 0 outside, 0 or below inside.
double Beyond(const typMotorRange& range, double value) {
    double beyond = -std::numeric_limits<double>::infinity();
    if (range.Upper) beyond = std::max(beyond, value - *range.Upper);
    if (range.Lower) beyond = std::max(beyond, *range.Lower - value);
    return beyond;
}

// Outside range by more than its slack: what makes a path leave its travel. Where it leaves is
// then found against the travel itself.
bool Outside(const typMotorRange& range, double value) {
    return (range.Upper && value - *range.Upper > TravelSlack(*range.Upper)) ||
           (range.Lower && *range.Lower - value > TravelSlack(*range.Lower)) || std::isnan(value);
}

struct Point {
    double s;
    double value;
};

// The extremum of position in [low, high] that sign picks (+1 the largest, -1 the smallest),
// found by golden-section search from a bracket whose inside sample beats both its ends.
Point RefineExtremum(const Position& position, double low, double high, double sign) {
    const double shrink = (std::sqrt(5.0) - 1) / 2;
    double c = high - shrink * (high - low);
    double d = low + shrink * (high - low);
    Point best{c, position(c)};
    double fc = best.value;
    double fd = position(d);
    if (sign * fd > sign * best.value) best = {d, fd};
    for (int step = 0; step < kMaxRefineSteps && low < c && c < d && d < high; ++step) {
        if (sign * fc > sign * fd) {
            high = d;
            d = c;
            fd = fc;
            c = high - shrink * (high - low);
            fc = position(c);
            if (sign * fc > sign * best.value) best = {c, fc};
        } else {
            low = c;
            c = d;
            fc = fd;
            d = low + shrink * (high - low);
            fd = position(d);
            if (sign * fd > sign * best.value) best = {d, fd};
        }
    }
    return best;
}

// The first S past inside (within the travel) up to outside (beyond it) where position is beyond
// the travel, to the spacing of doubles.
Point FirstOutside(const Position& position, const typMotorRange& range, Point inside,
                   Point outside) {
    for (int step = 0; step < kMaxBisectSteps; ++step) {
        const double middle = inside.s + (outside.s - inside.s) / 2;
        if (!(middle > inside.s && middle < outside.s)) break;
        const Point m{middle, position(middle)};
        (Beyond(range, m.value) > 0 ? outside : inside) = m;
    }
    return outside;
}

bool IsPeak(const std::vector<Point>& p, std::size_t k, double sign) {
    const double before = sign * p[k - 1].value, here = sign * p[k].value,
                 after = sign * p[k + 1].value;
    return here >= before && here >= after && (here > before || here > after);
}

struct MotorExcursion {
    Point leaves;
    Point farthest;
};

std::vector<Point> Samples(const Position& position, double from, double to) {
    std::vector<Point> samples;
    const int count = to > from ? kSamples : 0;
    for (int k = 0; k <= count; ++k) {
        const double s = k == count ? to : from + (to - from) * k / count;
        samples.push_back({s, position(s)});
    }
    return samples;
}

// Every point found outside range: the samples outside, then every extremum the samples bracket,
// refined, that lies outside.
std::vector<Point> PointsOutside(const Position& position, const typMotorRange& range,
                                 const std::vector<Point>& samples) {
    std::vector<Point> outside;
    for (const Point& p : samples)
        if (Outside(range, p.value)) outside.push_back(p);
    for (std::size_t k = 1; k + 1 < samples.size(); ++k)
        for (const double sign : {1.0, -1.0}) {
            if ((sign > 0 ? !range.Upper : !range.Lower) || !IsPeak(samples, k, sign)) continue;
            const Point peak = RefineExtremum(position, samples[k - 1].s, samples[k + 1].s, sign);
            if (Outside(range, peak.value)) outside.push_back(peak);
        }
    return outside;
}

// Where one motor first leaves range over [from, to], and how far it goes.
std::optional<MotorExcursion> MotorExcursionIn(const Position& position, const typMotorRange& range,
                                               double from, double to) {
    const std::vector<Point> samples = Samples(position, from, to);
    const std::vector<Point> outside = PointsOutside(position, range, samples);
    if (outside.empty()) return std::nullopt;
    Point first = outside.front(), farthest = outside.front();
    for (const Point& p : outside) {
        if (p.s < first.s) first = p;
        if (Beyond(range, p.value) > Beyond(range, farthest.value)) farthest = p;
    }
    // Every sample before the first point outside is within the travel: the motor leaves after
    // the last of them.
    const Point* inside = nullptr;
    for (const Point& p : samples)
        if (p.s < first.s) inside = &p;
    return MotorExcursion{inside ? FirstOutside(position, range, *inside, first) : first, farthest};
}

std::optional<typTravelExcursion> SublegExcursion(PathEvaluator& eval,
                                                  const typToolPathSubLeg& subleg,
                                                  const std::vector<typMotorRange>& ranges) {
    const std::int32_t motors =
        std::min<std::int32_t>(MotorCountOf(subleg), static_cast<std::int32_t>(ranges.size()));
    if (motors == 0) return std::nullopt;
    const DoubleArray starts = eval.EvalEqs(subleg.ParametricEQs, subleg.StartS);
    std::optional<typTravelExcursion> first;
    for (std::int32_t motor = 1; motor <= motors; ++motor) {
        const typMotorRange& range = ranges[static_cast<std::size_t>(motor - 1)];
        if (!range.Lower && !range.Upper) continue;
        eval.ThrowIfStopped("the check of the motors' travel");
        const Position position = [&](double s) {
            return eval.EvalMotorPosition(motor, subleg, s, starts(motor));
        };
        const auto found =
            MotorExcursionIn(position, range, subleg.StartS, std::max(subleg.StartS, subleg.EndS));
        if (!found || (first && first->LeavesAt <= found->leaves.s)) continue;
        first = typTravelExcursion{
            motor, found->leaves.s, found->leaves.value, found->farthest.value, found->farthest.s,
            0,     PieceKind::Drive};
    }
    return first;
}

// A figure for a message: 12 significant digits, since S reaches the equations as number text
// of 15 and the last of them are noise here; a 0 before the point below 1.
std::string Figure(double value) {
    std::string text = TrimSpaces(ShortNumberText(value, 12));
    if (text.rfind(".", 0) == 0) text.insert(0, "0");
    if (text.rfind("-.", 0) == 0) text.insert(1, "0");
    return text;
}

}  // namespace

double TravelSlack(double End) noexcept {
    return 1e-9 * std::max(1.0, std::abs(End));
}

bool WithinTravel(const typMotorRange& Range, double Value) noexcept {
    return !Outside(Range, Value);
}

std::optional<typTravelExcursion> FindTravelExcursion(PathEvaluator& Eval,
                                                      const std::vector<typToolPathPiece>& Pieces,
                                                      const std::vector<typMotorRange>& Ranges) {
    for (const typToolPathPiece& piece : Pieces) {
        std::optional<typTravelExcursion> found;
        AtPieceLine(piece, [&] {
            for (const typToolPathSubLeg& subleg : piece.Sublegs.Items())
                if ((found = SublegExcursion(Eval, subleg, Ranges))) return;
        });
        if (!found) continue;
        found->Line = piece.Line;
        found->Kind = piece.Kind;
        return found;
    }
    return std::nullopt;
}

std::string TravelText(const typMotorRange& Range) {
    if (Range.Lower && Range.Upper) return Figure(*Range.Lower) + " to " + Figure(*Range.Upper);
    if (Range.Lower) return "at least " + Figure(*Range.Lower);
    if (Range.Upper) return "at most " + Figure(*Range.Upper);
    return "unlimited";
}

std::string MotorNameFor(std::int32_t Motor, const std::vector<std::string>& Names) {
    const auto at = static_cast<std::size_t>(Motor - 1);
    if (Motor >= 1 && at < Names.size() && !Names[at].empty()) return "\"" + Names[at] + "\"";
    return std::to_string(Motor);
}

void RaiseTravelExcursion(const typTravelExcursion& Excursion,
                          const std::vector<typMotorRange>& Ranges,
                          const std::vector<std::string>& Names) {
    const auto at = static_cast<std::size_t>(Excursion.Motor - 1);
    const typMotorRange range = at < Ranges.size() ? Ranges[at] : typMotorRange{};
    std::string message = "The tool path takes motor " + MotorNameFor(Excursion.Motor, Names) +
                          " outside its travel (" + TravelText(range) + "): ";
    if (Excursion.FarthestAt == Excursion.LeavesAt)
        message +=
            "it stands at " + Figure(Excursion.Value) + " at S = " + Figure(Excursion.LeavesAt);
    else
        message += "it leaves at S = " + Figure(Excursion.LeavesAt) + ", at " +
                   Figure(Excursion.Value) + ", and reaches " + Figure(Excursion.Farthest) +
                   " at S = " + Figure(Excursion.FarthestAt);
    message += std::string(" (the ") + (Excursion.Kind == PieceKind::Leg ? "LEG" : "DRIVE") +
               " block of line " + std::to_string(Excursion.Line) +
               ").  The path was refused before anything moved.";
    throw Error(ErrorCode::InvalidArgument, message).At(static_cast<int>(Excursion.Line));
}

}  // namespace torvane
