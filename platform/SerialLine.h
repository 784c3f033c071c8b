#pragma once
// One serial port used only for its modem-control lines: no byte is ever sent or read. A motor
// is driven by the two outputs (DTR towards increasing position, RTS towards decreasing, both
// off stops it) and reports its quadrature encoder on the two inputs (DCD channel 1, CTS
// channel 2). The port host creates one line per motor port through a factory, so a real
// serial device, the simulated motor or a test fake can stand behind it.

#include <functional>
#include <memory>
#include <string>

namespace torvane {

struct ModemInputs {
    bool DCD = false;
    bool CTS = false;
    friend bool operator==(const ModemInputs&, const ModemInputs&) = default;
};

class SerialLine {
  public:
    // Called once for every change of DCD or CTS, with both states after the change, in the
    // order the changes happened. A line may call it on a thread of its own (the device
    // watcher), so it must be thread-safe, quick, and must not call back into the line.
    using ChangeHandler = std::function<void(ModemInputs)>;

    virtual ~SerialLine() = default;

    // Opens serial port portNumber (1 is the first port) with 9600 baud, no parity, 8 data bits
    // and 1 stop bit, both outputs off. Throws torvane::Error (FileError) with a message that
    // names the device when the port does not exist, is busy or has no modem-control lines.
    // onChange is called for every input change after Open returns.
    virtual void Open(int portNumber, ChangeHandler onChange) = 0;
    // Switches both outputs off, stops reporting changes and releases the port. Does nothing
    // on a closed line.
    virtual void Close() noexcept = 0;
    virtual bool IsOpen() const noexcept = 0;

    // The outputs follow at once. Throw torvane::Error on a closed line or a device failure.
    virtual void SetDTR(bool on) = 0;
    virtual void SetRTS(bool on) = 0;
    // The current input states.
    virtual ModemInputs GetInputs() = 0;

    // Both outputs off at once, for the drive's watchdog: callable from any thread while the
    // line is open, also while another call on the line is running (or stalled) on the control
    // thread. Never throws and never waits for that call. This default, for lines used from one
    // thread only, sets both outputs as SetDTR and SetRTS do; lines that drive motors override it.
    virtual void ForceOff() noexcept {
        try {
            SetDTR(false);
        } catch (...) {
        }
        try {
            SetRTS(false);
        } catch (...) {
        }
    }

    // Brings the line up to the present: a line that produces its changes when asked (the
    // simulated motor) reports the changes due by now; a device with a watcher does nothing.
    virtual void Poll() {}

    // The device behind the line, for messages ("/dev/ttyS0", "simulated motor on port 1").
    virtual std::string DeviceName() const = 0;
};

// Makes a fresh, closed line. The port host calls it once per port it opens.
using SerialLineFactory = std::function<std::unique_ptr<SerialLine>()>;

}  // namespace torvane
