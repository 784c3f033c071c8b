#pragma once
// The driver behind the tool-path object: the motor list, graphing a tool path into the program's
// animation and cutting it onto the motors in a closed loop. It evaluates through a PathEvaluator
// and drives the motors through a DrivenJoints set only. Every long loop here polls the
// evaluator's stop token.

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "model/VbArray.h"
#include "motorio/DrivenJoints.h"
#include "motorio/Event.h"
#include "toolpath/ControlLoop.h"
#include "toolpath/FollowingErrorWatch.h"
#include "toolpath/RoomMotorList.h"
#include "toolpath/RoundPublisher.h"
#include "toolpath/ToolPathPieces.h"
#include "toolpath/clsXML.h"
#include "toolpath/typMotorProperties.h"

namespace torvane {

class JointSets;
class PathEvaluator;

class clsToolPathDriver {
  public:
    // Evaluates through Eval and drives the motors of its list through the sets of Sets (grouped
    // by MakeDrivenJoints); both outlive the driver.
    clsToolPathDriver(PathEvaluator& Eval, JointSets& Sets);
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

    // As clsToolPath describes them; Reader splits and reads the text.
    void DriveXMLToolPath(clsXML& Reader, std::string_view InLegs, bool Graph, double Period);
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

    Event<const VbArray<typToolPathSubLeg>&, double> GraphLeg;
    Event<> GraphStarting;
    Event<> CutStarting;
    Event<double, const DoubleArray&, const DoubleArray&> CutRound;

  private:
    class CutScope;
    struct Round;

    void GraphPath(clsXML& Reader, std::string_view InLegs, double Period);
    void CutPath(clsXML& Reader, std::string_view InLegs);
    void CheckPathAgainstMotors(const std::vector<typToolPathPiece>& Pieces) const;
    // The travel of each motor of the list, and the names of the motors, in list order.
    std::vector<typMotorRange> MotorRanges() const;
    std::vector<std::string> MotorNames() const;
    // The first motor whose target of the round lies outside its travel; 0 when none does.
    int MotorOutsideTravel(const Round& r) const;
    [[noreturn]] void RaiseOutsideTravel(const Round& r, int Motor) const;
    std::vector<JointLine> JointLines() const;
    // The joints of the present motor list; only between cuts.
    void MakeJoints();
    void CutLegNow(const VbArray<typToolPathSubLeg>& SubLegs);
    void CutSublegNow(const typToolPathSubLeg& Subleg);
    void CutSublegsNow(std::span<const typToolPathSubLeg> Sublegs);
    void CheckSublegMotors(const typToolPathSubLeg& Subleg) const;
    void NextSublegs(Round& r);
    // One control round; the motor whose following error broke the limit (its lines and all
    // others then off), 0 when none did. A target outside a motor's travel switches every line
    // off before anything is commanded and raises.
    int RunRound(Round& r);
    [[noreturn]] void RaiseFollowingError(const Round& r, int Motor) const;
    void ShowLastRounds() noexcept;
    void CutOnThisThread(Round& r);
    void CutOnControlThread(Round& r);
    void RaiseRoundsPublished();
    void RaiseRounds(const std::vector<PublishedRound>& Rounds);
    [[noreturn]] void RaiseOverrun(const Round& r) const;
    std::string MotorLabel(int Motor) const;
    // The drive settings' timing, its deadline at least what the joints' rounds may take.
    ControlTiming RoundTiming() const;
    bool StopRequested() const;

    PathEvaluator& eval_;
    JointSets& sets_;
    std::shared_ptr<DrivenJoints> joints_;  // the motor list's, as of the last cut
    VbArray<typMotorProperties> motors_;
    bool cutting_ = false;  // a cut of this driver is running
    ControlTiming timing_;
    double followingLimit_ = 0;
    FollowingErrorWatch watch_;  // the control rounds' own
    RoundPublisher published_;
    std::stop_source roundStop_{std::nostopstate};  // the running control loop's
    std::atomic<int> roundMotor_{0};            // the motor the round works on, 0 before the first
    std::atomic<bool> roundEvaluating_{false};  // evaluating its equation, not setting its lines
    std::atomic<int> overrunMotor_{0};          // the same, when the watchdog caught a round
    std::atomic<bool> overrunEvaluating_{false};
};

}  // namespace torvane
