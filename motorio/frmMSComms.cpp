#include "motorio/frmMSComms.h"

#include <cfenv>
#include <cmath>
#include <limits>

#include "model/Error.h"
#include "motorio/LinuxSerialLine.h"
#include "motorio/SimulatedMotorLine.h"
#if __has_include("script/Engine.h")
#include "script/Engine.h"
#define TORVANE_HAS_ENGINE 1
#endif

namespace torvane {
namespace {

// Round half to even into a 16-bit port number, as the port controls take it.
std::int16_t PortNumberOf(float value) {
    const double rounded = std::nearbyint(static_cast<double>(value));
    if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
          rounded <= std::numeric_limits<std::int16_t>::max()))
        Raise(ErrorCode::Overflow,
              "Overflow: port number " + std::to_string(value) + " is outside -32768 to 32767");
    return static_cast<std::int16_t>(rounded);
}

class DispatchGuard {
  public:
    explicit DispatchGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~DispatchGuard() { flag_ = false; }
    DispatchGuard(const DispatchGuard&) = delete;
    DispatchGuard& operator=(const DispatchGuard&) = delete;

  private:
    bool& flag_;
};

}  // namespace

frmMSComms::frmMSComms() {
    draining_.reserve(4096);
}

frmMSComms::~frmMSComms() {
    ClosePorts();
}

void frmMSComms::UsePortBackend(PortBackend backend) {
    backend_ = backend;
}

void frmMSComms::SetSimulatedMotorParameters(const SimulatedMotorParameters& parameters) {
    const auto require = [](double value, bool positive, const char* name) {
        if (!std::isfinite(value) || value < 0 || (positive && value == 0))
            Raise(ErrorCode::InvalidArgument,
                  std::string("Invalid procedure call or argument: the simulated motor's ") + name +
                      " must be " + (positive ? "above 0" : "0 or more") + ", not " +
                      std::to_string(value));
    };
    require(parameters.DriveAcceleration, false, "DriveAcceleration");
    require(parameters.FrictionDeceleration, false, "FrictionDeceleration");
    require(parameters.TimeConstant, true, "TimeConstant");
    require(parameters.MaxTimeStep, true, "MaxTimeStep");
    simulated_ = parameters;
}

void frmMSComms::UseLineFactory(SerialLineFactory factory) {
    factory_ = std::move(factory);
}

std::unique_ptr<SerialLine> frmMSComms::MakeLine(const std::string& devicePath) const {
    if (factory_) return factory_();
    if (backend_ == PortBackend::SimulatedMotor)
        return std::make_unique<SimulatedMotorLine>(simulated_);
    return std::make_unique<LinuxSerialLine>(devicePath);
}

void frmMSComms::OpenPorts(const VbArray<float>& ComPortNumbers) {
    OpenPorts(ComPortNumbers, {});
}

void frmMSComms::OpenPorts(const VbArray<float>& ComPortNumbers,
                           const std::vector<std::string>& DevicePaths) {
    RequireOwnThread();
    if (driver_.load() != std::thread::id{})
        Raise(ErrorCode::InvalidArgument,
              "Invalid procedure call or argument: the ports cannot be opened while a drive "
              "runs; stop the drive first");
    // Read every number before a port is touched, so a bad list changes nothing.
    std::vector<std::int16_t> numbers;
    if (ComPortNumbers.IsAllocated()) {
        if (ComPortNumbers.Count() > 32767)
            Raise(ErrorCode::Overflow, "Overflow: more than 32767 ports");
        for (std::int32_t i = ComPortNumbers.LBound(); i <= ComPortNumbers.UBound(); ++i)
            numbers.push_back(PortNumberOf(ComPortNumbers(i)));
    }
    ClosePorts();
    ports_.reserve(numbers.size());
    for (std::size_t i = 0; i < numbers.size(); ++i)
        OpenOne(static_cast<std::int16_t>(i + 1), numbers[i],
                i < DevicePaths.size() ? DevicePaths[i] : std::string());
}

void frmMSComms::OpenOne(std::int16_t index, std::int16_t number, const std::string& devicePath) {
    auto port = std::make_unique<Port>();
    port->number = number;
    port->line = MakeLine(devicePath);
    Port* const p = port.get();
    const std::uint64_t generation = generation_;
    bool primed = false;
    // Runs on whichever thread the line reports from. The first call gives the states at
    // opening: it sets the counter's reference and posts no change.
    auto onChange = [this, p, index, generation, primed](ModemInputs inputs) mutable {
        if (!primed) {
            p->counter.Reset(inputs);
            primed = true;
            return;
        }
        p->counter.Feed(inputs);
        queue_.Post({generation, index, inputs});
    };
    p->line->Open(number, std::move(onChange));  // throws, naming the device
    p->latest = p->line->GetInputs();
    ports_.push_back(std::move(port));
}

void frmMSComms::ClosePorts() noexcept {
    for (auto it = ports_.rbegin(); it != ports_.rend(); ++it) {
        Port& port = **it;
        try {
            port.line->SetDTR(false);
            port.line->SetRTS(false);
        } catch (...) {
            // Close switches both lines off as well; the port is released either way.
        }
        port.line->Close();
    }
    ports_.clear();
    // Changes still queued belong to ports that no longer exist.
    ++generation_;
}

frmMSComms::Port& frmMSComms::PortAt(std::int32_t MotorIndex) const {
    if (MotorIndex > std::numeric_limits<std::int16_t>::max() ||
        MotorIndex < std::numeric_limits<std::int16_t>::min())
        Raise(ErrorCode::Overflow, "Overflow: port index " + std::to_string(MotorIndex));
    if (MotorIndex < 1 || MotorIndex > PortCount())
        Raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range: port " +
                                                  std::to_string(MotorIndex) + " is not open (" +
                                                  std::to_string(PortCount()) + " ports open)");
    return *ports_[static_cast<std::size_t>(MotorIndex - 1)];
}

void frmMSComms::RequireOwnThread() const {
    const std::thread::id driver = driver_.load();
    if (driver != std::thread::id{} && driver != std::this_thread::get_id())
        Raise(ErrorCode::InvalidArgument,
              "Invalid procedure call or argument: the ports are driving motors; stop the drive "
              "first");
}

void frmMSComms::SetOutPuts(std::int32_t MotorIndex, bool OutPut1, bool Output2) {
    RequireOwnThread();
    Port& port = PortAt(MotorIndex);
    port.line->SetDTR(OutPut1);
    port.line->SetRTS(Output2);
}

void frmMSComms::GetInputs(std::int32_t MotorIndex, bool& Input1, bool& Input2) {
    RequireOwnThread();
    PortAt(MotorIndex);  // checks the index before anything runs
    ProcessLineEvents();
    const Port& port = PortAt(MotorIndex);  // a handler may have closed the ports
    Input1 = port.latest.DCD;
    Input2 = port.latest.CTS;
}

void frmMSComms::EmergencyLinesOff() noexcept {
    for (auto& port : ports_) port->line->ForceOff();
}

bool frmMSComms::AllLinesOff() noexcept {
    const std::thread::id driver = driver_.load();
    if (driver != std::thread::id{} && driver != std::this_thread::get_id()) {
        EmergencyLinesOff();  // the owning thread may be inside a call on the same lines
        return true;
    }
    bool allOff = true;
    for (auto& port : ports_) {
        try {
            port->line->SetDTR(false);
        } catch (...) {
            allOff = false;
        }
        try {
            port->line->SetRTS(false);
        } catch (...) {
            allOff = false;
        }
    }
    return allOff;
}

void frmMSComms::ProcessLineEvents() {
    const std::thread::id driver = driver_.load();
    if (driver != std::thread::id{} && driver != std::this_thread::get_id()) return;
    if (dispatching_) return;
    for (auto& port : ports_) port->line->Poll();
    const std::uint64_t dropped = queue_.TakeAll(draining_);
    const DispatchGuard guard(dispatching_);
    const std::uint64_t generation = generation_;
    for (const LineEvent& event : draining_) {
        // A handler may close or reopen the ports; the rest then belong to the old ones.
        if (generation != generation_) break;
        if (event.Generation != generation_) continue;
        if (event.Index < 1 || event.Index > PortCount()) continue;
        ports_[static_cast<std::size_t>(event.Index - 1)]->latest = event.Inputs;
        std::int16_t index = event.Index;
        OnComm.Raise(index);
    }
    if (dropped > 0 && generation == generation_) Resynchronise(dropped);
}

void frmMSComms::Resynchronise(std::uint64_t dropped) {
    // Changes were dropped, so the states last reported may be stale: report every port once
    // more with the states it shows now, so its listeners take them as their reference.
    droppedLineChanges_ += dropped;
    const std::uint64_t generation = generation_;
    for (std::size_t i = 0; i < ports_.size() && generation == generation_; ++i) {
        try {
            ports_[i]->latest = ports_[i]->line->GetInputs();
        } catch (const Error&) {
            continue;  // a failing device reports nothing new
        }
        std::int16_t index = static_cast<std::int16_t>(i + 1);
        OnComm.Raise(index);  // a handler may close or reopen the ports
    }
}

std::int16_t frmMSComms::PortNumber(std::int32_t MotorIndex) const {
    return PortAt(MotorIndex).number;
}

std::string frmMSComms::DeviceName(std::int32_t MotorIndex) const {
    return PortAt(MotorIndex).line->DeviceName();
}

std::int64_t frmMSComms::LineSteps(std::int32_t MotorIndex) const {
    return PortAt(MotorIndex).counter.Steps();
}

const std::shared_ptr<vbs::Engine>& frmMSComms::ScriptEngine() {
#ifdef TORVANE_HAS_ENGINE
    if (!engine_) engine_ = std::make_shared<vbs::Engine>();
#endif
    return engine_;
}

}  // namespace torvane
