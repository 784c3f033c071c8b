#pragma once
// A serial-port host: one line per motor port (index i serves motor i of the tool-path driver),
// the line-change event that feeds the encoders, and the script engine that the tool-path objects
// made on it share. A plain object, not a window; the program makes one and hands it to whatever
// drives its ports, and tests make their own.
//
// Threads: every member is for one thread at a time, the user-interface thread unless a drive
// has handed the ports to its control thread (DriveFrom): until it hands them back, the lines,
// the events and the ports belong to that thread, calls from any other thread are refused with
// an error (ProcessLineEvents does nothing there), and only EmergencyLinesOff may be called from
// anywhere. Lines may report changes on threads of their own; those only count steps
// (atomically) and post to the event queue, which the owning thread drains in
// ProcessLineEvents, raising OnComm for each change in order.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "model/VbArray.h"
#include "motorio/Event.h"
#include "motorio/LineEventQueue.h"
#include "motorio/LineStepCounter.h"
#include "motorio/SimulatedMotor.h"
#include "platform/SerialLine.h"

namespace vbs {
class Engine;
}

namespace torvane {

enum class PortBackend {
    SerialDevice,    // the machine's serial devices, /dev/ttyS<n-1>
    SimulatedMotor,  // a simulated motor behind every port; needs no hardware
};

class frmMSComms {
  public:
    frmMSComms();
    ~frmMSComms();  // closes every port: all lines off
    frmMSComms(const frmMSComms&) = delete;
    frmMSComms& operator=(const frmMSComms&) = delete;

    // What stands behind the ports opened from now on. Ports already open keep their lines.
    void UsePortBackend(PortBackend backend);
    PortBackend Backend() const noexcept { return backend_; }
    // Accelerations 0 or more, time constant and time step above 0, all finite; anything else
    // raises an invalid-argument error and keeps the parameters as they were.
    void SetSimulatedMotorParameters(const SimulatedMotorParameters& parameters);
    // Any other kind of line (a test fake); overrides the backend until cleared with nullptr.
    void UseLineFactory(SerialLineFactory factory);

    // Closes all ports, then opens one port per element, index for index, each port number
    // rounded to the nearest integer (halves to even). Numbers outside -32768..32767 fail with
    // an overflow error before any port is touched. A port that cannot be opened fails with the
    // line's error naming the device; the ports before it stay open.
    void OpenPorts(const VbArray<float>& ComPortNumbers);
    // The same, where DevicePaths[i], when given and not empty, names the serial device of port
    // i + 1 in place of its number (real serial devices only; other backends ignore it).
    void OpenPorts(const VbArray<float>& ComPortNumbers,
                   const std::vector<std::string>& DevicePaths);
    // From the highest index down: both lines off, port closed and released.
    void ClosePorts() noexcept;
    // DTR of port MotorIndex follows OutPut1, then RTS follows Output2.
    void SetOutPuts(std::int32_t MotorIndex, bool OutPut1, bool Output2);
    // The input states of port MotorIndex: DCD into Input1, CTS into Input2. While OnComm is
    // being raised they are the states of the change being reported; otherwise pending changes
    // are processed first, so the answer is the latest state and agrees with the events seen.
    void GetInputs(std::int32_t MotorIndex, bool& Input1, bool& Input2);
    // Both lines of every open port off. Tries every port even when one fails; returns false
    // when any port could not be switched off.
    bool AllLinesOff() noexcept;
    // Both lines of every open port off at once, from any thread (the drive's watchdog), without
    // waiting for a call running on the owning thread. The ports stay open.
    void EmergencyLinesOff() noexcept;

    // Hands the ports to thread Driver (a drive's control thread) until DriveFrom({}) hands them
    // back. Opening or closing ports while they are handed over is refused.
    void DriveFrom(std::thread::id Driver) noexcept { driver_.store(Driver); }
    // Raises an invalid-argument error when the ports belong to another thread's drive.
    void RequireOwnThread() const;

    // Raised with the port index for every change of an input line, in the order of the changes.
    Event<std::int16_t> OnComm;
    // Polls the lines and raises OnComm for every change posted since the last call. Does
    // nothing when called from inside an OnComm handler. When the queue had to drop changes
    // (nobody processed them for a long time), OnComm is then raised once more for every port
    // with the states it shows now; the steps of the dropped changes are lost to the listeners
    // (LineSteps still counts them).
    void ProcessLineEvents();
    // Changes dropped by the full queue since the host was made.
    std::uint64_t DroppedLineChanges() const noexcept { return droppedLineChanges_; }
    // The queue the lines post to; an event loop sets its wake-up hook to schedule
    // ProcessLineEvents on its own thread.
    LineEventQueue& LineEvents() noexcept { return queue_; }

    std::int32_t PortCount() const noexcept { return static_cast<std::int32_t>(ports_.size()); }
    std::int16_t PortNumber(std::int32_t MotorIndex) const;
    std::string DeviceName(std::int32_t MotorIndex) const;
    // Steps counted on the reporting thread since the port opened (same rule as the encoder).
    std::int64_t LineSteps(std::int32_t MotorIndex) const;

    // The script engine shared by every tool-path object of this host.
    const std::shared_ptr<vbs::Engine>& ScriptEngine();

  private:
    struct Port {
        std::unique_ptr<SerialLine> line;
        std::int16_t number = 0;
        LineStepCounter counter;
        ModemInputs latest;  // as last reported to the user-interface thread
    };

    Port& PortAt(std::int32_t MotorIndex) const;
    std::unique_ptr<SerialLine> MakeLine(const std::string& devicePath) const;
    void OpenOne(std::int16_t index, std::int16_t number, const std::string& devicePath);
    void Resynchronise(std::uint64_t dropped);

    PortBackend backend_ = PortBackend::SerialDevice;
    SimulatedMotorParameters simulated_;
    SerialLineFactory factory_;
    std::vector<std::unique_ptr<Port>> ports_;
    std::uint64_t generation_ = 0;
    LineEventQueue queue_;
    std::vector<LineEvent> draining_;
    bool dispatching_ = false;
    std::uint64_t droppedLineChanges_ = 0;
    std::shared_ptr<vbs::Engine> engine_;
    std::atomic<std::thread::id> driver_{};
};

}  // namespace torvane
