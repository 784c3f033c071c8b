// Drives on the control thread of their own, on simulated motors: how each way of ending a cut
// leaves the lines, and what the window thread may and may not do meanwhile. The rounds and the
// motors run in the time of a clock the rounds step, so a busy machine changes nothing but how
// long a test takes; only the watchdog's test runs in real time.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include "model/Error.h"
#include "motorio/SimulatedMotorLine.h"
#include "motorio/Termination.h"
#include "motorio/frmMSComms.h"
#include "platform/ScriptedUserInterface.h"
#include "script/Engine.h"
#include "tests/motorio/MotorTestSupport.h"
#include "tests/support/SteppedClock.h"
#include "toolpath/StopTokenScope.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

using test::Block;
using test::CodeOf;
using test::Leg;
using Steady = std::chrono::steady_clock;

// A simulated motor whose calls are counted, and which can be told to fail or stall.
class WatchedLine final : public SerialLine {
  public:
    std::atomic<int> sets{0};         // SetDTR calls
    std::atomic<int> failAfter{-1};   // SetDTR calls before it fails; -1 never
    std::atomic<int> stallAfter{-1};  // SetDTR calls before one stalls until ForceOff
    std::atomic<bool> forcedOff{false};
    std::atomic<bool> forcedDuringStall{false};
    std::atomic<bool> stalling{false};
    std::thread::id forcedBy;

    void Open(int portNumber, ChangeHandler onChange) override {
        inner_.Open(portNumber, std::move(onChange));
    }
    void Close() noexcept override { inner_.Close(); }
    bool IsOpen() const noexcept override { return inner_.IsOpen(); }
    void SetDTR(bool on) override {
        const int n = sets++;
        if (n == failAfter.load())
            Raise(ErrorCode::FileError, "Cannot set DTR: the device is gone");
        if (n == stallAfter.load()) {
            stalling = true;
            while (!forcedOff.load()) std::this_thread::sleep_for(std::chrono::microseconds(100));
            stalling = false;
        }
        inner_.SetDTR(on);
    }
    void SetRTS(bool on) override { inner_.SetRTS(on); }
    ModemInputs GetInputs() override { return inner_.GetInputs(); }
    void ForceOff() noexcept override {
        forcedBy = std::this_thread::get_id();
        forcedDuringStall = stalling.load();
        inner_.ForceOff();
        forcedOff = true;
    }
    void Poll() override { inner_.Poll(); }
    std::string DeviceName() const override { return inner_.DeviceName(); }
    bool AnyOn() const { return inner_.IsOpen() && (inner_.DTR() || inner_.RTS()); }

  private:
    SimulatedMotorLine inner_;
};

class ControlThreadDrive : public ::testing::Test {
  protected:
    ControlThreadDrive() {
        host->UseLineFactory([this] {
            auto line = std::make_unique<WatchedLine>();
            lines.push_back(line.get());
            return line;
        });
        path.SetPortHost(host);
        path.ParseMotorsProperties("5,5\r\nShoulder,arm,1,0.01\r\nElbow,forearm,2,0.02");
        // A round catching up with a simulated motor after a pause may take milliseconds in a
        // sanitizer build; only the watchdog's own test keeps the program's 20 ms.
        ControlTiming timing;
        timing.Deadline = 0.5;
        timing.Pace = &clock;
        path.SetControlTiming(timing);
        rounds =
            path.CutRound.Subscribe([this](double, const DoubleArray& t, const DoubleArray& m) {
                EXPECT_EQ(std::this_thread::get_id(), window) << "shown on the window thread";
                targets.push_back(t(1));
                measured.push_back(m(1));
            });
    }
    bool AnyLineOn() const {
        for (const WatchedLine* l : lines)
            if (l->AnyOn()) return true;
        return false;
    }
    int Sets() const {
        int n = 0;
        for (const WatchedLine* l : lines) n += l->sets.load();
        return n;
    }
    // Runs the cut with the window thread's events calling onEvents until it returns true once.
    std::string CutExpectingError(const std::string& text, std::function<bool()> onEvents = {}) {
        bool done = false;
        ui.onDoEvents = [&] {
            if (!done && onEvents) done = onEvents();
        };
        std::string message;
        CodeOf([&] { path.DriveXMLToolPath(text, false, 0); }, &message);
        return message;
    }

    // Each round also waits a little real time, so the window thread sees the drive under way.
    test::SteppedClock clock{100.0, std::chrono::microseconds(100)};
    test::InstalledSteppedClock installedClock{clock};
    const std::thread::id window = std::this_thread::get_id();
    std::vector<WatchedLine*> lines;
    std::shared_ptr<frmMSComms> host = std::make_shared<frmMSComms>();
    clsToolPath path{host->ScriptEngine()};
    ScriptedUserInterface ui;
    ScopedUserInterface installedUi{ui};
    std::vector<double> targets, measured;
    Subscription rounds;
};

TEST_F(ControlThreadDrive, StopSigtermAndAFailingPortEndTheCutWithinOneRoundWithEveryLineOff) {
    {
        // Stop from the window thread, while the motors run.
        StopTokenScope stop(path);
        int setsAtStop = -1;
        bool wasOn = false;
        ui.onDoEvents = [&] {
            if (setsAtStop < 0 && targets.size() > 50) {
                wasOn = AnyLineOn();
                // Counted once the stop is requested: rounds the control thread ran before it,
                // while this thread waited for a core between two lines, are no rounds after it.
                stop.Stop();
                setsAtStop = Sets();
            }
        };
        path.DriveXMLToolPath(Leg(Block(0, 30, " 0 , 0", "20*S,-20*S")), false, 0);
        EXPECT_TRUE(wasOn);
        EXPECT_FALSE(AnyLineOn());
        // The round under way may still set its two lines, then the end switches both off
        // (twice: on the control thread at once, and again on the window thread after it).
        EXPECT_LE(Sets() - setsAtStop, 2 + 2 + 2) << "no second round after the stop";
        EXPECT_FALSE(path.Cutting());
    }

    // SIGTERM, from the window thread's events as a signal would arrive anywhere.
    ASSERT_GE(InstallTerminationHandlers(), 0);
    int setsAtSignal = -1;
    targets.clear();
    ui.onDoEvents = [&] {
        if (setsAtSignal >= 0 || targets.size() < 50) return;
        std::raise(SIGTERM);
        setsAtSignal = Sets();
    };
    path.DriveXMLToolPath(Leg(Block(0, 30, " 0 , 0", "20*S,-20*S")), false, 0);
    EXPECT_LE(Sets() - setsAtSignal, 6);
    EXPECT_FALSE(AnyLineOn());
    EXPECT_TRUE(TerminationRequested());
    ClearTerminationRequest();

    // A port that fails mid-drive: its error reaches the caller, and the other motor is off.
    lines[1]->failAfter = lines[1]->sets + 40;
    const std::string failed = CutExpectingError(Leg(Block(0, 30, " 0 , 0", "20*S,-20*S")));
    EXPECT_NE(failed.find("the device is gone"), std::string::npos) << failed;
    EXPECT_FALSE(AnyLineOn());
    EXPECT_FALSE(path.Cutting());
}

TEST_F(ControlThreadDrive, TheWatchdogSwitchesEveryLineOffWithoutWaitingForTheRound) {
    // Real time: the watchdog is what a round that never ends meets.
    InstallClock(nullptr);
    ControlTiming timing;
    timing.Deadline = 0.02;
    path.SetControlTiming(timing);
    host->ScriptEngine()->AddCode(
        "Function Hang(x)\r\nDo While x\r\nLoop\r\nHang = 0\r\nEnd Function");
    // Motor 2's equation never returns once S passes 0.05.
    const Steady::time_point start = Steady::now();
    const std::string message = CutExpectingError(Leg(Block(0, 5, " 0 , 0", "S,S+Hang(S>0.05)")));
    const double seconds = std::chrono::duration<double>(Steady::now() - start).count();
    EXPECT_NE(message.find("took longer than 20 ms"), std::string::npos) << message;
    EXPECT_NE(message.find("\"S+Hang(S>0.05)\" of motor Elbow"), std::string::npos) << message;
    EXPECT_FALSE(AnyLineOn());
    for (const WatchedLine* l : lines) {
        EXPECT_TRUE(l->forcedOff) << "switched off by the watchdog";
        EXPECT_NE(l->forcedBy, window);
    }
    EXPECT_LT(seconds, 2.0) << "the endless equation was interrupted";
    EXPECT_FALSE(path.Cutting());

    // A port that stalls in the middle of a round: the lines go off while it still hangs.
    for (WatchedLine* l : lines) l->forcedOff = false;
    lines[0]->stallAfter = lines[0]->sets + 30;
    const std::string stalled = CutExpectingError(Leg(Block(0, 5, " 0 , 0", "S,S")));
    EXPECT_NE(stalled.find("setting the lines of motor Shoulder"), std::string::npos) << stalled;
    EXPECT_TRUE(lines[0]->forcedDuringStall);
    EXPECT_FALSE(AnyLineOn());
}

TEST_F(ControlThreadDrive, AFollowingErrorTripStopsInTheRoundThatBrokeTheLimit) {
    path.SetFollowingErrorLimit(0.5);
    // The target runs away at 1000 units per second: no motor can keep up.
    const std::string message = CutExpectingError(Leg(Block(0, 5, " 0 , 0", "1000*S,0*S")));
    EXPECT_NE(message.find("The following error of motor Shoulder reached"), std::string::npos)
        << message;
    EXPECT_NE(message.find("above the limit 0.5"), std::string::npos) << message;
    EXPECT_FALSE(AnyLineOn());
    // Every round shown was within the limit but the last, which broke it and was the last run.
    ASSERT_FALSE(targets.empty());
    EXPECT_GT(std::abs(targets.back() - measured.back()), 0.5);
    for (std::size_t k = 0; k + 1 < targets.size(); ++k)
        EXPECT_LE(std::abs(targets[k] - measured[k]), 0.5) << "round " << k;

    EXPECT_EQ(CodeOf([&] { path.SetFollowingErrorLimit(-1); }), ErrorCode::InvalidArgument);
    EXPECT_EQ(path.FollowingErrorLimit(), 0.5);
}

TEST_F(ControlThreadDrive, ADriveAfterADriveStartsFromTheMeasuredPosition) {
    path.DriveXMLToolPath(Leg(Block(0, 0.5, " 0 , 0", "4*S,4*S")), false, 0);
    ASSERT_GT(targets.size(), 100u) << "rounds about every millisecond";
    targets.clear();
    measured.clear();
    path.DriveXMLToolPath(Leg(Block(0, 0.2, " 2 , 2", "-S,-S")), false, 0);
    ASSERT_FALSE(measured.empty());
    EXPECT_NEAR(measured.front(), 2, 0.1) << "where the last drive left motor 1, not 0";
    PublishedRound latest;
    ASSERT_TRUE(path.LatestRound(latest));
    EXPECT_NEAR(latest.Measured[0], measured.back(), 1e-12);
}

TEST_F(ControlThreadDrive, TheWindowThreadNeitherEvaluatesNorTouchesThePortsDuringACut) {
    std::vector<ErrorCode> refused;
    ui.onDoEvents = [&] {
        if (!refused.empty() || targets.size() < 10) return;
        for (const auto& call : std::vector<std::function<void()>>{
                 [&] { path.EvalEq("1+S", 0); },
                 [&] { host->SetOutPuts(1, true, false); },
                 [&] {
                     bool a = false, b = false;
                     host->GetInputs(1, a, b);
                 },
                 [&] { host->OpenPorts(VbArray<float>::WithBounds(1, 1)); },
                 [&] { path.SetControlTiming({}); },
             })
            refused.push_back(CodeOf(call));
        host->ProcessLineEvents();  // does nothing on this thread now
    };
    path.DriveXMLToolPath(Leg(Block(0, 0.3, " 0 , 0", "S,S")), false, 0);
    EXPECT_EQ(refused, std::vector<ErrorCode>(5, ErrorCode::InvalidArgument));
    EXPECT_EQ(host->PortCount(), 2) << "the ports were left as they were";
    EXPECT_DOUBLE_EQ(path.EvalEq("1+S", 1), 2) << "the engine is back once the cut ended";

    for (const ControlTiming bad : {ControlTiming{0, 0.02, true}, ControlTiming{0.001, 0.001, true},
                                    ControlTiming{0.001, 11, true}})
        EXPECT_EQ(CodeOf([&] { path.SetControlTiming(bad); }), ErrorCode::InvalidArgument);
    EXPECT_EQ(path.GetControlTiming().Deadline, 0.5) << "kept as it was";
}

}  // namespace
}  // namespace torvane
