#pragma once
// The driver behind clsToolPath: the motor list, the port host and the encoders of the opened
// ports, graphing a tool path into the program's animation and cutting it onto the motors in a
// closed loop. Every long loop here polls the tool path's stop token.

#include <atomic>
#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "model/VbArray.h"
#include "motorio/Event.h"
#include "motorio/clsQuadEncoder.h"
#include "toolpath/ControlLoop.h"
#include "toolpath/FollowingErrorWatch.h"
#include "toolpath/RoundPublisher.h"
#include "toolpath/ToolPathPieces.h"
#include "toolpath/clsXML.h"
#include "toolpath/typMotorProperties.h"

namespace torvane {

class clsToolPath;
class frmMSComms;

class clsToolPathDriver {
  public:
    // Evaluates equations and reads text through Path, which owns the driver.
    explicit clsToolPathDriver(clsToolPath& Path);
    // The program ends or the tool path goes away: no motor may keep running.
    ~clsToolPathDriver();
    clsToolPathDriver(const clsToolPathDriver&) = delete;
    clsToolPathDriver& operator=(const clsToolPathDriver&) = delete;

    // The motor-properties text as last set (trimmed, not parsed).
    std::string PropertiesText;

    const VbArray<typMotorProperties>& Motors() const noexcept { return motors_; }
    // Checks every motor (a port from 1, a scale other than 0, no port twice) before any change.
    void SetMotors(const VbArray<typMotorProperties>& InMotors);
    std::int32_t TotalMotors() const noexcept;

    frmMSComms& PortHost();
    void SetPortHost(std::shared_ptr<frmMSComms> InHost);
    const clsQuadEncoder& Encoder(std::int32_t MotorIndex) const;
    std::int32_t EncoderCount() const noexcept {
        return static_cast<std::int32_t>(encoders_.size());
    }
    // Device paths, where given, stand in for the numbers (see frmMSComms::OpenPorts).
    void OpenPorts(const VbArray<float>& ComPortNumbers,
                   const std::vector<std::string>& DevicePaths = {});
    void ZeroHere(std::int32_t MotorIndex);

    // As clsToolPath describes them.
    void DriveXMLToolPath(std::string_view InLegs, bool Graph, double Period);
    void CutLeg(const VbArray<typToolPathSubLeg>& SubLegs);
    void CutSubleg(const typToolPathSubLeg& Subleg);
    bool Cutting() const noexcept { return cutting_; }
    // Raises the error of the operations refused during a cut; `what` completes "cannot ...".
    void RequireNoCut(std::string_view what) const;

    // As clsToolPath describes them.
    const ControlTiming& Timing() const noexcept { return timing_; }
    void SetTiming(const ControlTiming& Timing);
    double FollowingErrorLimit() const noexcept { return followingLimit_; }
    void SetFollowingErrorLimit(double Limit);
    const RoundPublisher& Published() const noexcept { return published_; }
    // Raises when a drive's control thread owns the script engine and this is another thread.
    void RequireEngineThread() const;

    Event<const VbArray<typToolPathSubLeg>&, double> GraphLeg;
    Event<> GraphStarting;
    Event<> CutStarting;
    Event<double, const DoubleArray&, const DoubleArray&> CutRound;

  private:
    class CutScope;
    struct Round;

    void GraphPath(std::string_view InLegs, double Period);
    void CutPath(std::string_view InLegs);
    void CheckPathAgainstMotors(const std::vector<typToolPathPiece>& Pieces) const;
    bool PortsMatchMotors();
    void OpenMotorPorts();
    void CutLegNow(const VbArray<typToolPathSubLeg>& SubLegs);
    void CutSublegNow(const typToolPathSubLeg& Subleg);
    // One control round; the motor whose following error broke the limit (its lines and all
    // others then off), 0 when none did.
    int RunRound(Round& r);
    [[noreturn]] void RaiseFollowingError(const Round& r, int Motor) const;
    void ShowLastRounds() noexcept;
    void CutOnThisThread(Round& r);
    void CutOnControlThread(Round& r);
    void RaiseRoundsPublished();
    void RaiseRounds(const std::vector<PublishedRound>& Rounds);
    [[noreturn]] void RaiseOverrun(const Round& r) const;
    std::string MotorLabel(int Motor) const;
    void RequirePortsFor(std::int32_t motors, const char* when);
    bool StopRequested() const;

    clsToolPath& path_;
    VbArray<typMotorProperties> motors_;
    std::shared_ptr<frmMSComms> host_;
    Subscription onComm_;
    std::vector<clsQuadEncoder> encoders_;  // one per opened port, index i at i - 1
    bool cutting_ = false;                  // a cut of this driver is running
    ControlTiming timing_;
    double followingLimit_ = 0;
    FollowingErrorWatch watch_;  // the control rounds' own
    RoundPublisher published_;
    std::stop_source roundStop_{std::nostopstate};  // the running control loop's
    std::atomic<std::thread::id> engineThread_{};   // the control thread while it owns the engine
    std::atomic<int> roundMotor_{0};            // the motor the round works on, 0 before the first
    std::atomic<bool> roundEvaluating_{false};  // evaluating its equation, not setting its lines
    std::atomic<int> overrunMotor_{0};          // the same, when the watchdog caught a round
    std::atomic<bool> overrunEvaluating_{false};
};

}  // namespace torvane
