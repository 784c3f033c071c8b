#include "toolpath/clsToolPathDriver.h"

#include <algorithm>
#include <cmath>

#include "model/Error.h"
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
    return path_.StopToken().stop_requested() || TerminationRequested();
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
    CutLegNow(SubLegs);
}

void clsToolPathDriver::CutSubleg(const typToolPathSubLeg& Subleg) {
    const CutScope cut(cutting_, "cut a subleg");
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
    const DoubleArray startParametrics = path_.EvalEqs(Subleg.ParametricEQs, Subleg.StartS);

    const Clock& clock = SystemClock();
    UserInterface& ui = Host();
    // What each round drove by, for the round's listeners; sized once, so rounds do not allocate.
    DoubleArray targets = DoubleArray::WithBounds(1, motors);
    DoubleArray measuredPositions = DoubleArray::WithBounds(1, motors);
    const double t0 = clock.Seconds();
    double t = Subleg.StartS;
    do {
        host.ProcessLineEvents();  // read: every line change since the last round
        // Another user of the port host may have closed the ports during the last yield.
        RequirePortsFor(motors, "during the cut");
        for (std::int32_t i = 1; i <= motors; ++i) {
            const clsQuadEncoder& encoder = encoders_[static_cast<std::size_t>(i - 1)];
            const double measured = encoder.ScaledPosition();
            t = Subleg.StartS + (clock.Seconds() - t0);
            const double target = path_.EvalMotorPosition(i, Subleg, t, startParametrics(i));
            const Drive drive = DriveToward(target, measured, std::abs(encoder.PositionScale()));
            host.SetOutPuts(i, drive.forward, drive.backward);
            targets(i) = target;
            measuredPositions(i) = measured;
        }
        if (motors == 0) t = Subleg.StartS + (clock.Seconds() - t0);
        CutRound.Raise(t, targets, measuredPositions);
        ui.DoEvents();  // a Stop command sets the stop here
    } while (!StopRequested() && !(t > Subleg.EndS));
}

}  // namespace torvane
