#include "toolpath/clsToolPathDriver.h"

#include <algorithm>
#include <cmath>

#include "model/Error.h"
#include "model/NumberText.h"
#include "motorio/Termination.h"
#include "motorio/clsQuadEncoder.h"
#include "motorio/frmMSComms.h"
#include "platform/Clock.h"
#include "platform/UserInterface.h"
#include "toolpath/MotorPropertiesText.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

// Forward above the target's dead band, backward below it, off inside it.
struct Drive {
    bool forward;
    bool backward;
};
inline Drive DriveToward(double target, double measured, double deadBand) noexcept {
    return {target > measured + deadBand, target < measured - deadBand};
}

// Switches every line off when the cut ends, however it ends.
class LinesOffOnExit {
  public:
    explicit LinesOffOnExit(frmMSComms& host) : host_(host) {}
    ~LinesOffOnExit() { host_.AllLinesOff(); }
    LinesOffOnExit(const LinesOffOnExit&) = delete;
    LinesOffOnExit& operator=(const LinesOffOnExit&) = delete;

  private:
    frmMSComms& host_;
};

// A figure for a message, with a 0 before the point below 1 ("0.5" reads better there than ".5").
std::string Figure(double value) {
    std::string text = TrimmedNumberText(value);
    if (text.rfind(".", 0) == 0) text.insert(0, "0");
    if (text.rfind("-.", 0) == 0) text.insert(1, "0");
    return text;
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

clsToolPathDriver::clsToolPathDriver(clsToolPath& Path) : path_(Path) {}

clsToolPathDriver::~clsToolPathDriver() {
    if (host_) host_->AllLinesOff();
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

// ---- Ports and encoders ----

frmMSComms& clsToolPathDriver::PortHost() {
    if (!host_) SetPortHost(frmMSComms::Shared());
    return *host_;
}

void clsToolPathDriver::RequireNoCut(std::string_view what) const {
    if (cutting_) Raise(ErrorCode::InvalidArgument, CutRunning(what));
}

void clsToolPathDriver::SetPortHost(std::shared_ptr<frmMSComms> InHost) {
    if (host_ == InHost) return;
    RequireNoCut("change the port host");
    if (host_) host_->AllLinesOff();
    onComm_.Cancel();
    encoders_.clear();
    host_ = std::move(InHost);
    if (!host_) return;
    // Every line change moves the encoder of its port. While OnComm is raised, GetInputs gives
    // the states of the change being reported, so no step is lost between two rounds.
    onComm_ = host_->OnComm.Subscribe([this](std::int16_t index) {
        if (index < 1 || static_cast<std::size_t>(index) > encoders_.size()) return;
        bool input1 = false, input2 = false;
        host_->GetInputs(index, input1, input2);
        encoders_[static_cast<std::size_t>(index - 1)].RefreshPosition(input1, input2);
    });
}

const clsQuadEncoder& clsToolPathDriver::Encoder(std::int32_t MotorIndex) const {
    if (MotorIndex < 1 || static_cast<std::size_t>(MotorIndex) > encoders_.size())
        Raise(ErrorCode::SubscriptOutOfRange,
              "Subscript out of range: no encoder " + std::to_string(MotorIndex));
    return encoders_[static_cast<std::size_t>(MotorIndex - 1)];
}

void clsToolPathDriver::OpenPorts(const VbArray<float>& ComPortNumbers,
                                  const std::vector<std::string>& DevicePaths) {
    RequireNoCut("open the ports");
    frmMSComms& host = PortHost();
    // The encoders always match the ports that are open, also when one fails to open.
    auto matchEncoders = [&] {
        std::vector<clsQuadEncoder> encoders(static_cast<std::size_t>(host.PortCount()));
        for (std::int32_t i = 1; i <= host.PortCount(); ++i) {
            clsQuadEncoder& e = encoders[static_cast<std::size_t>(i - 1)];
            e.PositionScale(i <= TotalMotors() ? motors_(i).Scale : 1.0);
            bool input1 = false, input2 = false;
            host.GetInputs(i, input1, input2);
            e.ZeroPosition(input1, input2);
        }
        encoders_ = std::move(encoders);
    };
    try {
        host.OpenPorts(ComPortNumbers, DevicePaths);
    } catch (...) {
        matchEncoders();
        host.AllLinesOff();
        throw;
    }
    matchEncoders();
}

void clsToolPathDriver::ZeroHere(std::int32_t MotorIndex) {
    RequireNoCut("zero a motor");
    Encoder(MotorIndex);  // raises for a port that is not open
    frmMSComms& host = PortHost();
    host.ProcessLineEvents();  // the count first takes every change made so far
    bool input1 = false, input2 = false;
    host.GetInputs(MotorIndex, input1, input2);
    encoders_[static_cast<std::size_t>(MotorIndex - 1)].ZeroPosition(input1, input2);
}

// ---- Driving a path ----

bool clsToolPathDriver::StopRequested() const {
    // SIGINT and SIGTERM end a cut as Stop does, within one round.
    return path_.StopToken().stop_requested() || roundStop_.stop_requested() ||
           TerminationRequested();
}

void clsToolPathDriver::DriveXMLToolPath(std::string_view InLegs, bool Graph, double Period) {
    // A graph run inside a cut's event loop would hold the cut's loop for the whole animation.
    RequireNoCut(Graph ? "graph a tool path" : "cut a tool path");
    if (Graph)
        GraphPath(InLegs, Period);
    else
        CutPath(InLegs);
}

void clsToolPathDriver::GraphPath(std::string_view InLegs, double Period) {
    GraphStarting.Raise();
    // Each leg is read as the animation reaches it, so the legs before a bad one are shown.
    ForEachToolPathPiece(path_.XMLClass(), InLegs, [&](const typToolPathPiece& piece) {
        if (StopRequested()) return;
        if (piece.Drives())
            GraphLeg.Raise(piece.Sublegs, Period);
        else
            Host().MsgBox("Ready?...", MsgButtons::OK);
    });
}

void clsToolPathDriver::CutPath(std::string_view InLegs) {
    // Everything is read and checked against the motor list before any motor moves.
    const std::vector<typToolPathPiece> pieces = ReadToolPathPieces(path_.XMLClass(), InLegs);
    CheckPathAgainstMotors(pieces);
    OpenMotorPorts();
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

bool clsToolPathDriver::PortsMatchMotors() {
    frmMSComms& host = PortHost();
    if (host.PortCount() != TotalMotors() ||
        encoders_.size() != static_cast<std::size_t>(TotalMotors()))
        return false;
    for (std::int32_t i = 1; i <= TotalMotors(); ++i) {
        const typMotorProperties& m = motors_(i);
        if (host.PortNumber(i) != m.ComPort) return false;
        if (!m.Device.empty() && host.DeviceName(i) != m.Device) return false;
    }
    return true;
}

void clsToolPathDriver::OpenMotorPorts() {
    // The ports of the last drive stay open, so every encoder keeps its count: the next drive
    // starts from where the motors stand. Only the scales may have changed since.
    if (PortsMatchMotors()) {
        for (std::int32_t i = 1; i <= TotalMotors(); ++i)
            encoders_[static_cast<std::size_t>(i - 1)].PositionScale(motors_(i).Scale);
        return;
    }
    VbArray<float> ports = VbArray<float>::WithBounds(1, TotalMotors());
    std::vector<std::string> devices;
    for (std::int32_t i = 1; i <= TotalMotors(); ++i) {
        ports(i) = static_cast<float>(motors_(i).ComPort);
        devices.push_back(motors_(i).Device);
    }
    OpenPorts(ports, devices);
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

void clsToolPathDriver::CutLeg(const VbArray<typToolPathSubLeg>& SubLegs) {
    const CutScope cut(cutting_, "cut a leg");
    watch_.Reset(followingLimit_);
    CutLegNow(SubLegs);
}

void clsToolPathDriver::CutSubleg(const typToolPathSubLeg& Subleg) {
    const CutScope cut(cutting_, "cut a subleg");
    watch_.Reset(followingLimit_);
    CutSublegNow(Subleg);
}

void clsToolPathDriver::CutLegNow(const VbArray<typToolPathSubLeg>& SubLegs) {
    for (const typToolPathSubLeg& subleg : SubLegs.Items()) {
        if (StopRequested()) return;
        CutSublegNow(subleg);
    }
}

void clsToolPathDriver::RequirePortsFor(std::int32_t motors, const char* when) {
    frmMSComms& host = PortHost();
    if (static_cast<std::size_t>(motors) <= encoders_.size() && motors <= host.PortCount()) return;
    if (when)
        Raise(ErrorCode::SubscriptOutOfRange,
              std::string("Subscript out of range: the motor ports were closed ") + when);
    Raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range: the subleg drives " +
                                              std::to_string(motors) + " motors, but " +
                                              std::to_string(host.PortCount()) + " ports are open");
}

// One subleg's control rounds: what every round works from and what it drove by.
struct clsToolPathDriver::Round {
    const typToolPathSubLeg& Subleg;
    std::int32_t Motors;
    DoubleArray StartParametrics;
    double T0;
    double T;
    // Sized once, so rounds do not allocate.
    DoubleArray Targets = DoubleArray::WithBounds(1, Motors);
    DoubleArray Measured = DoubleArray::WithBounds(1, Motors);
    bool Due() const { return !(T > Subleg.EndS); }
};

void clsToolPathDriver::CutSublegNow(const typToolPathSubLeg& Subleg) {
    frmMSComms& host = PortHost();
    const LinesOffOnExit linesOff(host);

    const std::int32_t motors = MotorCountOf(Subleg);
    RequirePortsFor(motors, nullptr);
    const std::int32_t equations =
        Subleg.ParametricEQs.IsAllocated() ? Subleg.ParametricEQs.UBound() : 0;
    if (equations < motors)
        Raise(ErrorCode::SubscriptOutOfRange,
              "Subscript out of range: the subleg has " + std::to_string(motors) +
                  " start points but " + std::to_string(std::max(0, equations)) + " equations");
    Round r{Subleg, motors, path_.EvalEqs(Subleg.ParametricEQs, Subleg.StartS),
            SystemClock().Seconds(), Subleg.StartS};
    if (timing_.OwnThread)
        CutOnControlThread(r);
    else
        CutOnThisThread(r);
}

int clsToolPathDriver::RunRound(Round& r) {
    frmMSComms& host = PortHost();
    const Clock& clock = SystemClock();
    roundMotor_.store(0);
    host.ProcessLineEvents();  // read: every line change since the last round
    // Another user of the port host may have closed the ports during the last yield.
    RequirePortsFor(r.Motors, "during the cut");
    for (std::int32_t i = 1; i <= r.Motors; ++i) {
        roundMotor_.store(i);
        const clsQuadEncoder& encoder = encoders_[static_cast<std::size_t>(i - 1)];
        const double measured = encoder.ScaledPosition();
        r.T = r.Subleg.StartS + (clock.Seconds() - r.T0);
        roundEvaluating_.store(true);
        const double target = path_.EvalMotorPosition(i, r.Subleg, r.T, r.StartParametrics(i));
        roundEvaluating_.store(false);
        const Drive drive = DriveToward(target, measured, std::abs(encoder.PositionScale()));
        host.SetOutPuts(i, drive.forward, drive.backward);
        r.Targets(i) = target;
        r.Measured(i) = measured;
    }
    if (r.Motors == 0) r.T = r.Subleg.StartS + (clock.Seconds() - r.T0);
    const int broken = watch_.Observe(r.Targets, r.Measured);
    if (broken != 0) host.AllLinesOff();
    return broken;
}

void clsToolPathDriver::RaiseFollowingError(const Round& r, int Motor) const {
    const double error = std::abs(r.Targets(Motor) - r.Measured(Motor));
    Raise(ErrorCode::InvalidArgument, "The following error of motor " + MotorLabel(Motor) +
                                          " reached " + Figure(error) + ", above the limit " +
                                          Figure(watch_.Limit()) +
                                          ".  The drive was stopped with every line off.");
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
    frmMSComms& host = PortHost();
    std::stop_source stop;
    // Stop, Escape and closing the program reach the loop's own stop, which the engine polls.
    const std::stop_callback forward(path_.StopToken(), [&stop] { stop.request_stop(); });
    roundStop_ = stop;
    engineThread_.store(std::this_thread::get_id());  // nobody evaluates before the hand-over
    path_.HandEngineTo(stop.get_token());
    struct TakeBack {
        clsToolPathDriver& d;
        ~TakeBack() {
            d.path_.TakeEngineBack();
            d.engineThread_.store(std::thread::id{});
            d.roundStop_ = std::stop_source(std::nostopstate);
        }
    } takeBack{*this};
    ControlLoop::Steps steps;
    steps.Begin = [&] {
        host.DriveFrom(std::this_thread::get_id());
        engineThread_.store(std::this_thread::get_id());
    };
    steps.Round = [&] {
        const int broken = RunRound(r);
        published_.Publish(r.T, r.Targets, r.Measured);
        if (broken != 0) RaiseFollowingError(r, broken);
        return !StopRequested() && r.Due();
    };
    steps.End = [&] {
        host.AllLinesOff();
        engineThread_.store(std::thread::id{});
        host.DriveFrom(std::thread::id{});
    };
    steps.Overrun = [this, &host] {
        host.EmergencyLinesOff();
        // What the late round was doing when it was caught; it may go on to other motors.
        overrunMotor_.store(roundMotor_.load());
        overrunEvaluating_.store(roundEvaluating_.load());
    };
    published_.Clear();
    ControlLoop loop(timing_, stop, std::move(steps));
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
    for (const PublishedRound& round : Rounds) {
        DoubleArray targets =
            DoubleArray::WithBounds(1, static_cast<std::int32_t>(round.Targets.size()));
        DoubleArray measured = targets;
        for (std::size_t k = 0; k < round.Targets.size(); ++k) {
            targets(static_cast<std::int32_t>(k + 1)) = round.Targets[k];
            measured(static_cast<std::int32_t>(k + 1)) = round.Measured[k];
        }
        CutRound.Raise(round.T, targets, measured);
    }
}

void clsToolPathDriver::RaiseOverrun(const Round& r) const {
    const int motor = overrunMotor_.load();
    std::string where = "while reading the encoders";
    if (motor >= 1 && motor <= r.Motors) {
        where = roundEvaluating_.load()
                    ? "evaluating the equation \"" + r.Subleg.ParametricEQs(motor) +
                          "\" of motor " + MotorLabel(motor)
                    : "setting the lines of motor " + MotorLabel(motor);
    }
    Raise(ErrorCode::InvalidArgument,
          "A control round of the drive took longer than " +
              TrimmedNumberText(timing_.Deadline * 1000) + " ms, " + where +
              ".  Every line was switched off at once and the drive was stopped.");
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

void clsToolPathDriver::RequireEngineThread() const {
    const std::thread::id owner = engineThread_.load();
    if (owner != std::thread::id{} && owner != std::this_thread::get_id())
        Raise(ErrorCode::InvalidArgument,
              "Invalid procedure call or argument: cannot evaluate an equation while a cut is "
              "running; stop the cut first");
}

}  // namespace torvane
