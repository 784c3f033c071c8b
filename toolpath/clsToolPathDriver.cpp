// The driver half of clsToolPath: the motor list, graphing a tool path into the program's
// animation, and cutting it onto motors in a closed loop through the serial-port host.

#include <cmath>
#include <optional>
#include <vector>

#include "model/Error.h"
#include "model/NumberText.h"
#include "motorio/clsQuadEncoder.h"
#include "motorio/frmMSComms.h"
#include "platform/Clock.h"
#include "platform/UserInterface.h"
#include "toolpath/MotorPropertiesText.h"
#include "toolpath/clsToolPath.h"

namespace torvane {

struct clsToolPath::DriverState {
    std::string propertiesText;
    VbArray<typMotorProperties> motors;
    std::shared_ptr<frmMSComms> host;
    Subscription onComm;
    std::vector<clsQuadEncoder> encoders;  // one per opened port, index i at i - 1
    bool cutting = false;                  // a cut of this object is running

    ~DriverState() {
        // The program is ending or the tool path goes away: no motor may keep running.
        if (host) host->AllLinesOff();
    }
};

std::shared_ptr<clsToolPath::DriverState> clsToolPath::MakeDriverState() {
    return std::make_shared<DriverState>();
}

namespace {

// ---- Control round ----

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

// Marks a cut as running for its scope; refuses to start when one already runs.
class CutScope {
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

std::int32_t MotorCountOf(const typToolPathSubLeg& subleg) {
    return subleg.StartPoints.IsAllocated() ? subleg.StartPoints.UBound() : 0;
}

}  // namespace

// ---- Motor list ----

const std::string& clsToolPath::MotorsPropertiesString() const {
    return driver_->propertiesText;
}

void clsToolPath::MotorsPropertiesString(std::string_view InString) {
    driver_->propertiesText = TrimSpaces(InString);
}

void clsToolPath::ParseMotorsProperties(std::string_view InString) {
    if (InString.empty()) return;
    ParsedMotorProperties parsed =
        ParseMotorPropertiesText(InString);  // throws before anything changes
    cVMax = parsed.vMax;
    cAMax = parsed.aMax;
    if (parsed.motors.empty()) return;  // the previous list stays
    driver_->motors = VbArray<typMotorProperties>(1, std::move(parsed.motors));
}

VbArray<typMotorProperties> clsToolPath::MotorsProperties() const {
    return driver_->motors;
}

void clsToolPath::MotorsProperties(const VbArray<typMotorProperties>& InMotors) {
    std::vector<typMotorProperties> checked;
    if (InMotors.IsAllocated())
        for (std::int32_t i = InMotors.LBound(); i <= InMotors.UBound(); ++i) {
            const typMotorProperties& motor = InMotors(i);
            CheckMotor(motor, "\"" + motor.Name + "\" (motor " + std::to_string(i) + ")", checked);
            checked.push_back(motor);
        }
    driver_->motors = InMotors;
}

std::int32_t clsToolPath::TotalMotors() const {
    return driver_->motors.IsAllocated() ? std::max(0, driver_->motors.UBound()) : 0;
}

// ---- Ports and encoders ----

frmMSComms& clsToolPath::PortHost() {
    if (!driver_->host) SetPortHost(frmMSComms::Shared());
    return *driver_->host;
}

bool clsToolPath::Cutting() const noexcept {
    return driver_->cutting;
}

void clsToolPath::RequireNoCut(std::string_view what) const {
    if (driver_->cutting) Raise(ErrorCode::InvalidArgument, CutRunning(what));
}

void clsToolPath::SetPortHost(std::shared_ptr<frmMSComms> InHost) {
    DriverState& d = *driver_;
    if (d.host == InHost) return;
    RequireNoCut("change the port host");
    if (d.host) d.host->AllLinesOff();
    d.onComm.Cancel();
    d.encoders.clear();
    d.host = std::move(InHost);
    if (!d.host) return;
    // Every line change moves the encoder of its port. While OnComm is raised, GetInputs gives
    // the states of the change being reported, so no step is lost between two rounds.
    d.onComm = d.host->OnComm.Subscribe([&d](std::int16_t index) {
        if (index < 1 || static_cast<std::size_t>(index) > d.encoders.size()) return;
        bool input1 = false, input2 = false;
        d.host->GetInputs(index, input1, input2);
        d.encoders[static_cast<std::size_t>(index - 1)].RefreshPosition(input1, input2);
    });
}

const clsQuadEncoder& clsToolPath::Encoder(std::int32_t MotorIndex) const {
    if (MotorIndex < 1 || static_cast<std::size_t>(MotorIndex) > driver_->encoders.size())
        Raise(ErrorCode::SubscriptOutOfRange,
              "Subscript out of range: no encoder " + std::to_string(MotorIndex));
    return driver_->encoders[static_cast<std::size_t>(MotorIndex - 1)];
}

void clsToolPath::OpenPorts(const VbArray<float>& ComPortNumbers) {
    RequireNoCut("open the ports");
    frmMSComms& host = PortHost();
    DriverState& d = *driver_;
    // The encoders always match the ports that are open, also when one fails to open.
    auto matchEncoders = [&] {
        std::vector<clsQuadEncoder> encoders(static_cast<std::size_t>(host.PortCount()));
        for (std::int32_t i = 1; i <= host.PortCount(); ++i) {
            clsQuadEncoder& e = encoders[static_cast<std::size_t>(i - 1)];
            e.PositionScale(i <= TotalMotors() ? d.motors(i).Scale : 1.0);
            bool input1 = false, input2 = false;
            host.GetInputs(i, input1, input2);
            e.ZeroPosition(input1, input2);
        }
        d.encoders = std::move(encoders);
    };
    try {
        host.OpenPorts(ComPortNumbers);
    } catch (...) {
        matchEncoders();
        host.AllLinesOff();
        throw;
    }
    matchEncoders();
}

// ---- Driving a path ----

void clsToolPath::DriveXMLToolPath(std::string_view InLegs, bool Graph, double Period) {
    // A graph run inside a cut's event loop would hold the cut's loop for the whole animation.
    RequireNoCut(Graph ? "graph a tool path" : "cut a tool path");
    const VbArray<typXML> pieces = XMLClass().SplitXML(InLegs, "LEG,WAIT,DRIVE");
    if (Graph) {
        GraphStarting.Raise();
    } else {
        // Everything is read and checked against the motor list before any motor moves.
        CheckPathAgainstMotors(pieces);
        VbArray<float> ports = VbArray<float>::WithBounds(1, TotalMotors());
        for (std::int32_t i = 1; i <= TotalMotors(); ++i)
            ports(i) = static_cast<float>(driver_->motors(i).ComPort);
        OpenPorts(ports);
        CutStarting.Raise();
    }
    if (!pieces.IsAllocated()) return;
    // The whole path is one cut, the waits between its legs included.
    std::optional<CutScope> cut;
    if (!Graph) cut.emplace(driver_->cutting, "cut a tool path");
    for (std::int32_t i = pieces.LBound(); i <= pieces.UBound(); ++i) {
        if (!Graph && Abort) return;
        const typXML& piece = pieces(i);
        if (piece.Tag == "LEG") {
            DriveLeg(piece.Contents, Graph, Period);
        } else if (piece.Tag == "WAIT") {
            Host().MsgBox("Ready?...", MsgButtons::OK);
        } else if (piece.Tag == "DRIVE") {
            DriveLeg("<DRIVE>" + piece.Contents + "</DRIVE>", Graph, Period);
        }
    }
}

void clsToolPath::DriveLeg(std::string_view InLeg, bool Graph, double Period) {
    if (InLeg.empty()) return;
    const VbArray<typToolPathSubLeg> sublegs = XMLClass().ParseXMLSublegs(InLeg);
    if (Graph)
        GraphLeg.Raise(sublegs, Period);
    else
        CutLegNow(sublegs);
}

void clsToolPath::CheckPathAgainstMotors(const VbArray<typXML>& Pieces) {
    if (!Pieces.IsAllocated()) return;
    for (std::int32_t i = Pieces.LBound(); i <= Pieces.UBound(); ++i) {
        const typXML& piece = Pieces(i);
        std::string leg;
        if (piece.Tag == "LEG")
            leg = piece.Contents;
        else if (piece.Tag == "DRIVE")
            leg = "<DRIVE>" + piece.Contents + "</DRIVE>";
        if (leg.empty()) continue;
        const VbArray<typToolPathSubLeg> sublegs = XMLClass().ParseXMLSublegs(leg);
        if (!sublegs.IsAllocated()) continue;
        for (std::int32_t k = sublegs.LBound(); k <= sublegs.UBound(); ++k) {
            const std::int32_t motors = MotorCountOf(sublegs(k));
            if (motors > TotalMotors())
                Raise(ErrorCode::SubscriptOutOfRange,
                      "Subscript out of range: piece " + std::to_string(i) +
                          " of the tool path drives " + std::to_string(motors) +
                          " motors, but the motor list has " + std::to_string(TotalMotors()));
        }
    }
}

void clsToolPath::CutLeg(const VbArray<typToolPathSubLeg>& SubLegs) {
    const CutScope cut(driver_->cutting, "cut a leg");
    CutLegNow(SubLegs);
}

void clsToolPath::CutSubleg(const typToolPathSubLeg& Subleg) {
    const CutScope cut(driver_->cutting, "cut a subleg");
    CutSublegNow(Subleg);
}

void clsToolPath::CutLegNow(const VbArray<typToolPathSubLeg>& SubLegs) {
    if (!SubLegs.IsAllocated()) return;
    for (std::int32_t i = SubLegs.LBound(); i <= SubLegs.UBound(); ++i) {
        if (Abort) return;
        CutSublegNow(SubLegs(i));
    }
}

void clsToolPath::CutSublegNow(const typToolPathSubLeg& Subleg) {
    frmMSComms& host = PortHost();
    DriverState& d = *driver_;
    const LinesOffOnExit linesOff(host);

    const std::int32_t motors = MotorCountOf(Subleg);
    if (static_cast<std::size_t>(motors) > d.encoders.size() || motors > host.PortCount())
        Raise(ErrorCode::SubscriptOutOfRange,
              "Subscript out of range: the subleg drives " + std::to_string(motors) +
                  " motors, but " + std::to_string(host.PortCount()) + " ports are open");
    const std::int32_t equations =
        Subleg.ParametricEQs.IsAllocated() ? Subleg.ParametricEQs.UBound() : 0;
    if (equations < motors)
        Raise(ErrorCode::SubscriptOutOfRange,
              "Subscript out of range: the subleg has " + std::to_string(motors) +
                  " start points but " + std::to_string(std::max(0, equations)) + " equations");
    const DoubleArray startParametrics = EvalEqs(Subleg.ParametricEQs, Subleg.StartS);

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
        if (static_cast<std::size_t>(motors) > d.encoders.size() || motors > host.PortCount())
            Raise(ErrorCode::SubscriptOutOfRange,
                  "Subscript out of range: the motor ports were closed during the cut");
        for (std::int32_t i = 1; i <= motors; ++i) {
            const clsQuadEncoder& encoder = d.encoders[static_cast<std::size_t>(i - 1)];
            const double measured = encoder.ScaledPosition();
            t = Subleg.StartS + (clock.Seconds() - t0);
            const double target = EvalMotorPosition(i, Subleg, t, startParametrics(i));
            const Drive drive = DriveToward(target, measured, std::abs(encoder.PositionScale()));
            host.SetOutPuts(i, drive.forward, drive.backward);
            targets(i) = target;
            measuredPositions(i) = measured;
        }
        if (motors == 0) t = Subleg.StartS + (clock.Seconds() - t0);
        CutRound.Raise(t, targets, measuredPositions);
        ui.DoEvents();  // a Stop command sets Abort here
    } while (!Abort && !(t > Subleg.EndS));
}

}  // namespace torvane
