#pragma once
// Test doubles for the motor I/O tests: a hand-set clock and a serial line whose inputs the
// test sets and whose outputs it can inspect after the host has released the line.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "model/Error.h"
#include "model/NumberText.h"
#include "platform/Clock.h"
#include "platform/SerialLine.h"

namespace torvane::test {

// A DRIVE block and a LEG of tool-path text, as the program writes them.
inline std::string Block(double startS, double endS, const std::string& points,
                         const std::string& eqs) {
    return "<DRIVE>\r\n\tStartS= " + NumberText(startS) + "\r\n\tEndS= " + NumberText(endS) +
           "\r\n\t" + points + "\r\n\t" + eqs + "\r\n</DRIVE>\r\n";
}
inline std::string Leg(const std::string& blocks) {
    return "<LEG>\r\n" + blocks + "</LEG>\r\n";
}

// The code of the error call raises (its text into message); a test failure when none.
inline ErrorCode CodeOf(const std::function<void()>& call, std::string* message = nullptr) {
    try {
        call();
    } catch (const Error& e) {
        if (message) *message = e.what();
        return e.Code();
    }
    ADD_FAILURE() << "no error";
    return ErrorCode::InvalidArgument;
}

class ManualClock final : public Clock {
  public:
    double now = 100.0;
    double Seconds() const override { return now; }
};

class ScopedClock {
  public:
    explicit ScopedClock(Clock& clock) { InstallClock(&clock); }
    ~ScopedClock() { InstallClock(nullptr); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};

// What happened to every fake line of one test, by port number.
struct FakeBench {
    struct Wire {
        bool open = false;
        bool dtr = false;
        bool rts = false;
        int opens = 0;
        ModemInputs inputs;
        SerialLine::ChangeHandler onChange;
    };
    std::map<int, Wire> wires;
    std::set<int> missing;  // port numbers whose open fails

    // Changes the inputs of a port and reports the change, as a device would.
    void Change(int port, bool dcd, bool cts) {
        Wire& w = wires.at(port);
        w.inputs = {dcd, cts};
        if (w.open && w.onChange) w.onChange(w.inputs);
    }
    // Moves a port's encoder to the quadrature state of step count `count` (00, 01, 11, 10
    // repeating), one change.
    void ChangeToCount(int port, std::int64_t count) {
        const int phase = static_cast<int>(((count % 4) + 4) % 4);
        Change(port, phase == 2 || phase == 3, phase == 1 || phase == 2);
    }
    bool AnyLineOn() const {
        for (const auto& [port, w] : wires)
            if (w.dtr || w.rts) return true;
        return false;
    }
    int OpenCount() const {
        int n = 0;
        for (const auto& [port, w] : wires) n += w.open ? 1 : 0;
        return n;
    }
};

class FakeLine final : public SerialLine {
  public:
    explicit FakeLine(std::shared_ptr<FakeBench> bench) : bench_(std::move(bench)) {}
    ~FakeLine() override { Close(); }

    void Open(int portNumber, ChangeHandler onChange) override {
        if (bench_->missing.count(portNumber))
            Raise(ErrorCode::FileError, "Serial port " + std::to_string(portNumber) + " (fake" +
                                            std::to_string(portNumber) + ") does not exist");
        FakeBench::Wire& w = bench_->wires[portNumber];
        if (w.open) Raise(ErrorCode::FileError, "fake port already open");
        port_ = portNumber;
        w.open = true;
        ++w.opens;
        w.dtr = w.rts = false;
        w.onChange = std::move(onChange);
        if (w.onChange) w.onChange(w.inputs);
    }
    void Close() noexcept override {
        if (port_ == 0) return;
        FakeBench::Wire& w = bench_->wires[port_];
        w.open = false;
        w.dtr = w.rts = false;
        w.onChange = nullptr;
        port_ = 0;
    }
    bool IsOpen() const noexcept override { return port_ != 0; }
    void SetDTR(bool on) override { Wire().dtr = on; }
    void SetRTS(bool on) override { Wire().rts = on; }
    ModemInputs GetInputs() override { return Wire().inputs; }
    std::string DeviceName() const override { return "fake" + std::to_string(port_); }

  private:
    FakeBench::Wire& Wire() {
        if (port_ == 0) Raise(ErrorCode::FileError, "fake line closed");
        return bench_->wires[port_];
    }
    std::shared_ptr<FakeBench> bench_;
    int port_ = 0;
};

inline SerialLineFactory FakeLines(const std::shared_ptr<FakeBench>& bench) {
    return [bench] { return std::make_unique<FakeLine>(bench); };
}

}  // namespace torvane::test
