#include "toolpath/clsToolPathDriver.h"

#include <algorithm>
#include <cmath>

#include "model/Error.h"
#include "model/NumberText.h"
#include "motorio/JointSets.h"
#include "motorio/SerialBusPort.h"
#include "motorio/Termination.h"
#include "platform/Clock.h"
#include "platform/UserInterface.h"
#include "toolpath/DriveClock.h"
#include "toolpath/MotorPropertiesText.h"
#include "toolpath/PathEvaluator.h"
#include "toolpath/PathTravelCheck.h"

namespace torvane {
namespace {

// Stops every motor where it stands when the cut ends, however it ends: a line-driven motor is
// switched off, a servo keeps its present position (an arm is not dropped).
class HoldOnExit {
  public:
    explicit HoldOnExit(DrivenJoints& joints) : joints_(joints) {}
    ~HoldOnExit() { joints_.Hold(); }
    HoldOnExit(const HoldOnExit&) = delete;
    HoldOnExit& operator=(const HoldOnExit&) = delete;

  private:
    DrivenJoints& joints_;
};

// A figure for a message, with a 0 before the point below 1 ("0.5" reads better there than ".5").
std::string Figure(double value) {
    std::string text = TrimmedNumberText(value);
    if (text.rfind(".", 0) == 0) text.insert(0, "0");
    if (text.rfind("-.", 0) == 0) text.insert(1, "0");
    return text;
}

// How far one round moves the drive's time on at most, in control periods: a round up to this
// late is on time; a later one finds the path where it would have been one this late.
constexpr double kLateRoundPeriods = 2;
// How far ahead of the round's time the motors are commanded, in control periods.
constexpr double kLeadPeriods = 1.5;

// How a tripped drive left the motors, for its message.
std::string StoppedText(const std::vector<JointLine>& Lines) {
    const bool servos = std::any_of(Lines.begin(), Lines.end(),
                                    [](const JointLine& line) { return IsServoBus(line.Kind); });
    return servos ? "The drive was stopped with every servo holding where it stands and every line "
                    "off."
                  : "The drive was stopped with every line off.";
}

std::string CutRunning(std::string_view what) {
    return "Invalid procedure call or argument: cannot " + std::string(what) +
           " while a cut is running; stop the cut first";
}

}  // namespace

// Marks a cut as running for its scope; refuses to start when one already runs.
class clsToolPathDriver::CutScope {
  public:
    CutScope(bool& cutting, std::string_view what) : cutting_(cutting) {
        if (cutting_) Raise(ErrorCode::InvalidArgument, CutRunning(what));
        cutting_ = true;
    }
    ~CutScope() { cutting_ = false; }
    CutScope(const CutScope&) = delete;
    CutScope& operator=(const CutScope&) = delete;

  private:
    bool& cutting_;
};

clsToolPathDriver::clsToolPathDriver(PathEvaluator& Eval, JointSets& Sets)
    : eval_(Eval), sets_(Sets), joints_(MakeDrivenJoints({}, Sets)) {}

clsToolPathDriver::~clsToolPathDriver() {
    joints_->Hold();  // lines off; servos keep where they stand
}

void clsToolPathDriver::MakeJoints() {
    joints_ = MakeDrivenJoints(JointLines(), sets_);
}

// ---- Motor list ----

void clsToolPathDriver::SetMotors(const VbArray<typMotorProperties>& InMotors) {
    std::vector<typMotorProperties> checked;
    if (InMotors.IsAllocated())
        for (std::int32_t i = InMotors.LBound(); i <= InMotors.UBound(); ++i) {
            const typMotorProperties& motor = InMotors(i);
            CheckMotor(motor, "\"" + motor.Name + "\" (motor " + std::to_string(i) + ")", checked);
            checked.push_back(motor);
        }
    motors_ = InMotors;
}

std::int32_t clsToolPathDriver::TotalMotors() const noexcept {
    return motors_.IsAllocated() ? std::max(0, motors_.UBound()) : 0;
}

void clsToolPathDriver::RequireNoCut(std::string_view what) const {
    if (cutting_) Raise(ErrorCode::InvalidArgument, CutRunning(what));
}

// ---- Driving a path ----

bool clsToolPathDriver::StopRequested() const {
    // SIGINT and SIGTERM end a cut as Stop does, within one round.
    return eval_.StopToken().stop_requested() || roundStop_.stop_requested() ||
           TerminationRequested();
}

void clsToolPathDriver::DriveXMLToolPath(clsXML& Reader, std::string_view InLegs, bool Graph,
                                         double Period) {
    // A graph run inside a cut's event loop would hold the cut's loop for the whole animation.
    RequireNoCut(Graph ? "graph a tool path" : "cut a tool path");
    if (Graph)
        GraphPath(Reader, InLegs, Period);
    else
        CutPath(Reader, InLegs);
}

void clsToolPathDriver::GraphPath(clsXML& Reader, std::string_view InLegs, double Period) {
    GraphStarting.Raise();
    // Each leg is read as the animation reaches it, so the legs before a bad one are shown.
    ForEachToolPathPiece(Reader, InLegs, [&](const typToolPathPiece& piece) {
        if (StopRequested()) return;
        if (piece.Drives())
            AtPieceLine(piece, [&] { GraphLeg.Raise(piece.Sublegs, Period); });
        else
            Host().MsgBox("Ready?...", MsgButtons::OK);
    });
}

void clsToolPathDriver::CutPath(clsXML& Reader, std::string_view InLegs) {
    // Everything is read and checked against the motor list before any motor moves.
    const std::vector<typToolPathPiece> pieces = ReadToolPathPieces(Reader, InLegs);
    CheckPathAgainstMotors(pieces);
    const std::vector<typMotorRange> ranges = MotorRanges();
    if (const auto excursion = FindTravelExcursion(eval_, pieces, ranges))
        RaiseTravelExcursion(*excursion, ranges, MotorNames());
    // The joints of the last drive stay open with their positions: the cut starts where the
    // motors stand.
    MakeJoints();
    joints_->Open(JointLines());
    CutStarting.Raise();
    watch_.Reset(followingLimit_);
    // The whole path is one cut, the waits between its legs included.
    const CutScope cut(cutting_, "cut a tool path");
    for (const typToolPathPiece& piece : pieces) {
        if (StopRequested()) return;
        if (piece.Drives())
            CutLegNow(piece.Sublegs);
        else
            Host().MsgBox("Ready?...", MsgButtons::OK);
    }
}

std::vector<JointLine> clsToolPathDriver::JointLines() const {
    std::vector<JointLine> lines;
    for (std::int32_t i = 1; i <= TotalMotors(); ++i) lines.push_back(JointLineOf(motors_(i)));
    return lines;
}

void clsToolPathDriver::CheckPathAgainstMotors(const std::vector<typToolPathPiece>& Pieces) const {
    for (const typToolPathPiece& piece : Pieces)
        for (const typToolPathSubLeg& subleg : piece.Sublegs.Items()) {
            const std::int32_t motors = MotorCountOf(subleg);
            if (motors > TotalMotors())
                Raise(ErrorCode::SubscriptOutOfRange,
                      "Subscript out of range: piece " + std::to_string(piece.Index) +
                          " of the tool path drives " + std::to_string(motors) +
                          " motors, but the motor list has " + std::to_string(TotalMotors()));
        }
}

std::vector<typMotorRange> clsToolPathDriver::MotorRanges() const {
    std::vector<typMotorRange> ranges;
    for (std::int32_t i = 1; i <= TotalMotors(); ++i)
        ranges.push_back({motors_(i).Lower, motors_(i).Upper});
    return ranges;
}

std::vector<std::string> clsToolPathDriver::MotorNames() const {
    std::vector<std::string> names;
    for (std::int32_t i = 1; i <= TotalMotors(); ++i) names.push_back(motors_(i).Name);
    return names;
}

void clsToolPathDriver::CutLeg(const VbArray<typToolPathSubLeg>& SubLegs) {
    const CutScope cut(cutting_, "cut a leg");
    MakeJoints();
    watch_.Reset(followingLimit_);
    CutLegNow(SubLegs);
}

void clsToolPathDriver::CutSubleg(const typToolPathSubLeg& Subleg) {
    const CutScope cut(cutting_, "cut a subleg");
    MakeJoints();
    watch_.Reset(followingLimit_);
    CutSublegNow(Subleg);
}

void clsToolPathDriver::CutLegNow(const VbArray<typToolPathSubLeg>& SubLegs) {
    // Sublegs that drive the same motors run in one stretch of control rounds, one after the
    // other with no pause between them, so the motors keep their speed from one to the next.
    const std::span<const typToolPathSubLeg> sublegs = SubLegs.Items();
    std::size_t first = 0;
    while (first < sublegs.size()) {
        if (StopRequested()) return;
        std::size_t end = first + 1;
        while (end < sublegs.size() && MotorCountOf(sublegs[end]) == MotorCountOf(sublegs[first]))
            ++end;
        CutSublegsNow(sublegs.subspan(first, end - first));
        first = end;
    }
}

void clsToolPathDriver::CutSublegNow(const typToolPathSubLeg& Subleg) {
    CutSublegsNow(std::span<const typToolPathSubLeg>(&Subleg, 1));
}

// One stretch of control rounds: what every round works from and what it drove by.
struct clsToolPathDriver::Round {
    std::span<const typToolPathSubLeg> Sublegs;  // driven in turn, each driving Motors motors
    std::int32_t Motors;
    DoubleArray StartParametrics;  // the equations' values at the present subleg's start
    DriveClock& Time;              // the rounds' own time, which the path follows
    double T0;                     // the rounds' time at the present subleg's StartS
    double T;
    std::size_t At = 0;  // the present subleg
    // Sized once, so rounds do not allocate.
    DoubleArray Targets = DoubleArray::WithBounds(1, Motors);
    DoubleArray Measured = DoubleArray::WithBounds(1, Motors);
    DoubleArray Ahead = DoubleArray::WithBounds(1, Motors);  // what the lines are set towards
    double AheadS = 0;                                       // and where on the path that is
    const typToolPathSubLeg& Subleg() const { return Sublegs[At]; }
    // Where the path stands this round: T, held within the present subleg.
    double At_S() const { return std::max(Subleg().StartS, std::min(T, Subleg().EndS)); }
    bool Due() const { return !(T > Subleg().EndS); }
};

void clsToolPathDriver::CheckSublegMotors(const typToolPathSubLeg& Subleg) const {
    const std::int32_t motors = MotorCountOf(Subleg);
    if (joints_->Count() < motors)
        Raise(ErrorCode::SubscriptOutOfRange,
              "Subscript out of range: the subleg drives " + std::to_string(motors) +
                  " motors, but " + std::to_string(joints_->Count()) + " ports are open");
    const std::int32_t equations =
        Subleg.ParametricEQs.IsAllocated() ? Subleg.ParametricEQs.UBound() : 0;
    if (equations < motors)
        Raise(ErrorCode::SubscriptOutOfRange,
              "Subscript out of range: the subleg has " + std::to_string(motors) +
                  " start points but " + std::to_string(std::max(0, equations)) + " equations");
}

void clsToolPathDriver::CutSublegsNow(std::span<const typToolPathSubLeg> Sublegs) {
    // The sublegs run in the time of their rounds, until every motor is off again: a motor still
    // switched on when the clock beneath comes back would run on for every pause of the drive.
    DriveClock time(SystemClock(), kLateRoundPeriods * timing_.Period);
    const InstalledClock simulatedMotorsFollow(time);
    const HoldOnExit hold(*joints_);

    for (const typToolPathSubLeg& subleg : Sublegs) CheckSublegMotors(subleg);
    const typToolPathSubLeg& first = Sublegs.front();
    Round r{Sublegs, MotorCountOf(first), eval_.EvalEqs(first.ParametricEQs, first.StartS),
            time,    time.Seconds(),      first.StartS};
    if (timing_.OwnThread)
        CutOnControlThread(r);
    else
        CutOnThisThread(r);
}

void clsToolPathDriver::NextSublegs(Round& r) {
    // Past the end of a subleg the next one takes over at the time left over, without a round
    // of its own in between.
    while (r.T > r.Subleg().EndS && r.At + 1 < r.Sublegs.size()) {
        r.T0 += r.Subleg().EndS - r.Subleg().StartS;
        ++r.At;
        const typToolPathSubLeg& next = r.Subleg();
        r.StartParametrics = eval_.EvalEqs(next.ParametricEQs, next.StartS);
        r.T = next.StartS + (r.Time.Seconds() - r.T0);
    }
}

int clsToolPathDriver::RunRound(Round& r) {
    r.Time.Tick();
    r.T = r.Subleg().StartS + (r.Time.Seconds() - r.T0);
    NextSublegs(r);
    // The round past EndS commands the path's end, not a point beyond it.
    const double at = r.At_S();
    roundMotor_.store(0);
    // Another user of the motors may have closed them during the last yield.
    if (!joints_->Read(r.Measured.Items()))
        Raise(ErrorCode::SubscriptOutOfRange,
              "Subscript out of range: the motor ports were closed during the cut");
    // The lines set now act until the next round, and a motor switched full on or off answers
    // about half a period later: each motor is driven towards where the path will be one and a
    // half periods on (within the subleg), which takes a third off the lag of a moving motor.
    const double ahead =
        std::max(at, std::min(r.T + kLeadPeriods * timing_.Period, r.Subleg().EndS));
    r.AheadS = ahead;
    for (std::int32_t i = 1; i <= r.Motors; ++i) {
        roundMotor_.store(i);
        roundEvaluating_.store(true);
        r.Targets(i) = eval_.EvalMotorPosition(i, r.Subleg(), at, r.StartParametrics(i));
        r.Ahead(i) = ahead == at
                         ? r.Targets(i)
                         : eval_.EvalMotorPosition(i, r.Subleg(), ahead, r.StartParametrics(i));
        roundEvaluating_.store(false);
    }
    // What the lines are set towards is checked as well as where the path stands now.
    if (const int outside = MotorOutsideTravel(r); outside != 0) {
        joints_->Hold();
        RaiseOutsideTravel(r, outside);
    }
    joints_->Command(r.Ahead.Items(), roundMotor_);
    // A joint that reports the target it outputs shows, from now on, what it was just told.
    for (std::int32_t i = 1; i <= r.Motors; ++i)
        if (!joints_->Measures(i)) r.Measured(i) = r.Ahead(i);
    const int broken = watch_.Observe(r.Targets, r.Measured);
    if (broken != 0) joints_->Hold();
    return broken;
}

void clsToolPathDriver::RaiseFollowingError(const Round& r, int Motor) const {
    const double error = std::abs(r.Targets(Motor) - r.Measured(Motor));
    Raise(ErrorCode::InvalidArgument,
          "The following error of motor " + MotorLabel(Motor) + " reached " + Figure(error) +
              ", above the limit " + Figure(watch_.Limit()) + ".  " + StoppedText(JointLines()));
}

int clsToolPathDriver::MotorOutsideTravel(const Round& r) const {
    const std::int32_t motors = std::min(r.Motors, TotalMotors());
    for (std::int32_t i = 1; i <= motors; ++i)
        if (!WithinTravel({motors_(i).Lower, motors_(i).Upper}, r.Targets(i)) ||
            !WithinTravel({motors_(i).Lower, motors_(i).Upper}, r.Ahead(i)))
            return i;
    return 0;
}

void clsToolPathDriver::RaiseOutsideTravel(const Round& r, int Motor) const {
    const typMotorProperties& motor = motors_(Motor);
    const typMotorRange travel{motor.Lower, motor.Upper};
    const bool now = !WithinTravel(travel, r.Targets(Motor));
    Raise(ErrorCode::InvalidArgument, "The drive would have taken motor " + MotorLabel(Motor) +
                                          " to " + Figure(now ? r.Targets(Motor) : r.Ahead(Motor)) +
                                          " at S = " + Figure(now ? r.At_S() : r.AheadS) +
                                          ", outside its travel (" + TravelText(travel) + ").  " +
                                          StoppedText(JointLines()));
}

void clsToolPathDriver::CutOnThisThread(Round& r) {
    UserInterface& ui = Host();
    published_.Clear();
    do {
        const int broken = RunRound(r);
        published_.Publish(r.T, r.Targets, r.Measured);  // for LatestRound; nobody takes them
        CutRound.Raise(r.T, r.Targets, r.Measured);
        if (broken != 0) RaiseFollowingError(r, broken);
        ui.DoEvents();  // a Stop command sets the stop here
    } while (!StopRequested() && r.Due());
}

void clsToolPathDriver::CutOnControlThread(Round& r) {
    std::stop_source stop;
    // Stop, Escape and closing the program reach the loop's own stop, which the engine polls.
    const std::stop_callback forward(eval_.StopToken(), [&stop] { stop.request_stop(); });
    roundStop_ = stop;
    eval_.EvaluateOnlyOn(std::this_thread::get_id());  // nobody evaluates before the hand-over
    eval_.HandEngineTo(stop.get_token());
    struct TakeBack {
        clsToolPathDriver& d;
        ~TakeBack() {
            d.eval_.TakeEngineBack();
            d.eval_.EvaluateOnlyOn(std::thread::id{});
            d.roundStop_ = std::stop_source(std::nostopstate);
        }
    } takeBack{*this};
    ControlLoop::Steps steps;
    steps.Begin = [&] {
        joints_->DriveFrom(std::this_thread::get_id());
        eval_.EvaluateOnlyOn(std::this_thread::get_id());
    };
    steps.Round = [&] {
        const int broken = RunRound(r);
        published_.Publish(r.T, r.Targets, r.Measured);
        if (broken != 0) RaiseFollowingError(r, broken);
        return !StopRequested() && r.Due();
    };
    steps.End = [&] {
        joints_->Hold();
        eval_.EvaluateOnlyOn(std::thread::id{});
        joints_->DriveFrom(std::thread::id{});
    };
    steps.Overrun = [this] {
        joints_->EmergencyOff();
        // What the late round was doing when it was caught; it may go on to other motors.
        overrunMotor_.store(roundMotor_.load());
        overrunEvaluating_.store(roundEvaluating_.load());
    };
    published_.Clear();
    ControlLoop loop(RoundTiming(), stop, std::move(steps));
    try {
        loop.Wait([&] {
            RaiseRoundsPublished();
            Host().DoEvents();
        });
    } catch (...) {
        if (!loop.Overran()) {
            ShowLastRounds();
            throw;
        }
    }
    RaiseRoundsPublished();
    if (loop.Overran()) RaiseOverrun(r);
}

void clsToolPathDriver::ShowLastRounds() noexcept {
    // The rounds up to the failure (a following-error trip's own round included) are still
    // shown; the failure that ended them is what the caller hears of.
    try {
        RaiseRoundsPublished();
    } catch (...) {
    }
}

void clsToolPathDriver::RaiseRoundsPublished() {
    for (std::vector<PublishedRound> batch = published_.Take(); !batch.empty();
         batch = published_.Take())
        RaiseRounds(batch);
}

void clsToolPathDriver::RaiseRounds(const std::vector<PublishedRound>& Rounds) {
    for (const PublishedRound& round : Rounds)
        CutRound.Raise(round.T, DoubleArray(1, round.Targets), DoubleArray(1, round.Measured));
}

ControlTiming clsToolPathDriver::RoundTiming() const {
    ControlTiming timing = timing_;
    // A servo bus may take its replies' time limit (twice, with one repeat) without anything
    // being wrong; a silent servo is then named by the bus, not caught as a stalled round.
    if (joints_) timing.Deadline = std::max(timing.Deadline, joints_->RoundAllowance());
    return timing;
}

void clsToolPathDriver::RaiseOverrun(const Round& r) const {
    const int motor = overrunMotor_.load();
    std::string where = "while reading the encoders";
    if (motor >= 1 && motor <= r.Motors) {
        // What the round was doing when the watchdog caught it, not what it went on to do.
        where = overrunEvaluating_.load()
                    ? "evaluating the equation \"" + r.Subleg().ParametricEQs(motor) +
                          "\" of motor " + MotorLabel(motor)
                    : "setting the lines of motor " + MotorLabel(motor);
    }
    const std::vector<JointLine> lines = JointLines();
    const bool servos = std::any_of(lines.begin(), lines.end(),
                                    [](const JointLine& line) { return IsServoBus(line.Kind); });
    std::string advice;
    for (const JointLine& line : lines)
        if (IsServoBus(line.Kind) && advice.empty()) advice = LatencyTimerAdvice(line.Device);
    Raise(ErrorCode::InvalidArgument,
          "A control round of the drive took longer than " +
              TrimmedNumberText(RoundTiming().Deadline * 1000) + " ms, " + where +
              ".  Every line was switched off at once" +
              (servos ? ", the servos were sent no further goal," : "") +
              " and the drive was stopped." + (advice.empty() ? "" : "  " + advice));
}

std::string clsToolPathDriver::MotorLabel(int Motor) const {
    if (Motor <= TotalMotors() && !motors_(Motor).Name.empty()) return motors_(Motor).Name;
    return std::to_string(Motor);
}

void clsToolPathDriver::SetTiming(const ControlTiming& Timing) {
    RequireNoCut("change the control timing");
    CheckControlTiming(Timing);
    timing_ = Timing;
}

void clsToolPathDriver::SetFollowingErrorLimit(double Limit) {
    RequireNoCut("change the following-error limit");
    if (!(Limit >= 0) || !std::isfinite(Limit))
        Raise(ErrorCode::InvalidArgument,
              "Invalid procedure call or argument: the following-error limit must be 0 (none) or "
              "above, not " +
                  TrimmedNumberText(Limit));
    followingLimit_ = Limit;
}

}  // namespace torvane
