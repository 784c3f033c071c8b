#pragma once
// The tool-path engine's working object: evaluates equation texts through its script engine
// (PathEvaluator), expands tool-path scripts, re-times sublegs into trapezoidal speed profiles and
// (through clsToolPathDriver) graphs or drives tool paths onto the motors of its port host.
//
// Equations are never parsed here: the parameter value is written into the equation text as
// signed number text and the script engine evaluates the result. Code that a script adds to the
// engine stays there for later equations until the next ExpandScript resets it.

#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "model/VbArray.h"
#include "motorio/Event.h"
#include "toolpath/ControlLoop.h"
#include "toolpath/RoomMotorList.h"
#include "toolpath/RoundPublisher.h"
#include "toolpath/clsXML.h"
#include "toolpath/typMotorProperties.h"

namespace vbs {
class Engine;
}

namespace torvane {

class frmMSComms;
class clsQuadEncoder;
class clsToolPathDriver;
class DrivenJoints;
class JointSets;
class LineDrivenJoints;
class PathEvaluator;

class clsToolPath {
    // First, so that the driver's events below can be bound to it; the driver evaluates through
    // eval_ and drives the motors of its list through the sets of joints_, whose line-driven set
    // is ports_. Destroying them switches off every motor driven.
    std::unique_ptr<PathEvaluator> eval_;
    std::shared_ptr<LineDrivenJoints> ports_;
    std::unique_ptr<JointSets> joints_;
    std::unique_ptr<clsToolPathDriver> driver_;

  public:
    // Evaluating through engine (nullptr: none; evaluating then raises) and driving the motors of
    // Ports (nullptr: a port host of the object's own, on the machine's serial devices). Objects
    // made on one engine share it: code added by a script expanded on one of them is visible to
    // the equations of all. The program makes its tool path on its port host and that host's
    // engine.
    explicit clsToolPath(std::shared_ptr<vbs::Engine> engine,
                         std::shared_ptr<frmMSComms> Ports = nullptr);
    ~clsToolPath();
    clsToolPath(const clsToolPath&) = delete;
    clsToolPath& operator=(const clsToolPath&) = delete;

    // The engine all evaluation goes through. Evaluating without one raises a missing-object error.
    const std::shared_ptr<vbs::Engine>& ScriptEval() const noexcept;
    void SetScriptEval(std::shared_ptr<vbs::Engine> engine) noexcept;

    // Default limits for re-timing legs, in units of S per second and per second squared.
    double cVMax = 5;
    double cAMax = 5;

    // The splitter and reader of tool-path text; created on first use.
    clsXML& XMLClass();
    void SetXMLClass(std::shared_ptr<clsXML> xml) noexcept { xmlClass_ = std::move(xml); }

    // ---- Equations and scripts ----

    // Every "S", then every "t" of InEq replaced by the signed number text of S (exact,
    // case-sensitive, whatever letters surround it), evaluated by the engine, converted to a
    // double. Engine failures raise a script error with the engine's number that quotes the
    // equation and the text evaluated.
    double EvalEq(std::string_view InEq, double S);
    // EvalEq of InEqs(i) for i from 1 to the upper bound of InEqs.
    DoubleArray EvalEqs(const StringArray& InEqs, double S);
    // Each element with every FindStr replaced by Replacement; same bounds.
    StringArray ReplaceArray(const StringArray& InArray, std::string_view FindStr,
                             std::string_view Replacement) const;
    // Resets the engine, then walks the pieces of the script split at LEG, ADDCODE and EVALCODE:
    // untagged text is copied, LEG pieces are written back as legs, ADDCODE blocks are added to
    // the engine and EVALCODE blocks are replaced by their value. Engine failures raise a script
    // error naming the block and quoting the script line that failed.
    std::string ExpandScript(std::string_view InString);

    // ---- Vector helpers (indices from 1; element 0 of an input is ignored) ----

    DoubleArray AddVectors(const DoubleArray& In1, const DoubleArray& In2) const;
    DoubleArray SubtractVectors(const DoubleArray& Subtractee, const DoubleArray& SubtractMe) const;
    double VectorDistance(const DoubleArray& StartPoints, const DoubleArray& EndPoints) const;

    // ---- Motor positions ----

    // Position of motor MotorIndex at parameter t: its equation at t plus its start point, less
    // StartParametric (the same equation's value at the subleg's StartS, which callers compute
    // once per subleg with EvalEqs).
    double EvalMotorPosition(std::int32_t MotorIndex, const typToolPathSubLeg& InSubleg, double t,
                             double StartParametric);
    // EvalMotorPosition for every motor, indices 1 to the upper bound of InSubleg.StartPoints.
    DoubleArray EvalMotorPositions(const typToolPathSubLeg& InSubleg, double t,
                                   const DoubleArray& StartParametrics);

    // ---- Travel ----

    // Reads InText and raises an invalid-argument error, at the line of the piece, for the first
    // place where it takes a motor outside Ranges (motor i has Ranges[i - 1]): naming the motor by
    // Names[i - 1], the S where it leaves and its position there (see PathTravelCheck.h). Reading
    // and evaluation errors are raised as DriveXMLToolPath raises them; the stop is polled.
    void CheckTravel(std::string_view InText, const std::vector<typMotorRange>& Ranges,
                     const std::vector<std::string>& Names);

    // ---- Re-timing ----

    // The subleg re-timed into time-based pieces (equations in "t", StartS 0, EndS the duration
    // in seconds) whose S follows a trapezoidal speed profile: three pieces (accelerate, cruise,
    // decelerate), or two (accelerate to the midpoint, decelerate) when the distance is too
    // short to reach VMax. Each piece starts where the engine evaluates the previous one to end.
    // AMax 0, EndS below StartS, a zero VMax with a cruise, negative or non-finite limits and
    // durations too long to write as number text raise an error; nothing partial is returned.
    // The input is not changed.
    VbArray<typToolPathSubLeg> TripleSubleg(const typToolPathSubLeg& InSubleg, double VMax,
                                            double AMax);

    // ---- Stopping ----

    // The stop of the long operation running now (one source per operation, made by whoever
    // starts it): the driver's rounds, the graph, re-timing, sampling and the script engine all
    // poll its token, so a stop ends any of them, an equation that never returns included.
    // Setting it also hands the token to the engine, with PollHook (called about every 10 ms of
    // running script code, so a window thread can let its events through; empty for none).
    // std::nostopstate means no operation runs. StopTokenScope sets and clears it.
    void SetStopSource(std::stop_source Source, std::function<void()> PollHook = {});
    std::stop_token StopToken() const noexcept;
    // Requests the stop of the running operation (Stop, Escape, closing the program); nothing
    // when none runs.
    void RequestStop() noexcept;
    // Raises a script error "User interrupt occurred" (the engine's number 18) when the stop has
    // been requested; `what` says what was stopped.
    void ThrowIfStopped(std::string_view what) const;

    // ---- Driver: motor list, graphing and cutting (clsToolPathDriver) ----

    // The motor-properties text: a first line "VMax,AMax", then one line per motor,
    // "Name,PartName,ComPort" or "Name,PartName,ComPort,Scale" (Scale in position units per
    // encoder step, 1 when left out; "simulated:ComPort" for a simulated motor with no port, see
    // MotorPropertiesText.h). Setting stores the text without leading and trailing blanks
    // and does not parse it.
    const std::string& MotorsPropertiesString() const;
    void MotorsPropertiesString(std::string_view InString);
    // Replaces the motor list and the default limits from a motor-properties text. The whole text
    // is checked first: a bad first line, port or scale raises an error that names the line and
    // changes nothing. An empty text changes nothing; a text without motor lines sets only the
    // limits. A line with another number of fields (not empty) is refused like a bad port.
    void ParseMotorsProperties(std::string_view InString);
    // Copies of the motor list, indices 1 to TotalMotors. Setting checks every motor as the
    // parser does (a port from 1, a scale other than 0, no port twice) and raises an error naming
    // the motor, keeping the list, when one fails.
    VbArray<typMotorProperties> MotorsProperties() const;
    void MotorsProperties(const VbArray<typMotorProperties>& InMotors);
    // The upper bound of the motor list; 0 when there is none.
    std::int32_t TotalMotors() const;

    // Graph mode: raises GraphLeg for every LEG and top-level DRIVE block in text order and
    // touches no port. Cut mode: checks every leg against the motor list, opens one port per
    // motor (unless the ports of the last cut are the motor list's ports: they stay open and
    // every encoder keeps its count, so a cut starts where the motors stand) and cuts the legs
    // onto the motors; WAIT shows "Ready?..." and waits for OK. Every
    // line is off when a cut ends, is aborted or fails; the ports stay open.
    //
    // By default the rounds of a cut run on a control thread of their own, one every period of
    // the control timing, and the calling thread waits for the end of each subleg letting the
    // user interface run; CutRound is then raised on the calling thread with the rounds the
    // control thread published. While that thread runs it alone evaluates equations (EvalEq on
    // another thread raises an invalid-argument error) and uses the ports. A round that takes
    // longer than the deadline has every line switched off at once by a watchdog thread, and the
    // cut fails with an error naming the motor and its equation. A round whose following error
    // is above FollowingErrorLimit ends the cut with every line off and an error naming the
    // motor. A path that takes a motor outside the travel its motor line gives is refused before
    // any port opens (CheckTravel), and a round whose target lies outside it all the same (an
    // equation that gives other values while driven) switches every line off before that target
    // is commanded and ends the cut with an error naming the motor, S and the target. A round
    // past a subleg's EndS commands the subleg's end. With OwnThread false the rounds run on the
    // calling thread between its events.
    //
    // A cut lets the user interface run between its rounds. While it runs, the operations that
    // would stall its loop with the motors running or pull the ports, encoders or equations
    // from under it (DriveXMLToolPath in either mode, OpenPorts, CutLeg, CutSubleg,
    // SetPortHost, ExpandScript) raise an invalid-argument error and change nothing.
    void DriveXMLToolPath(std::string_view InLegs, bool Graph, double Period);
    // Opens one port per element through the port host and gives each a new encoder whose scale
    // is that of the motor with the same index. Every line starts off.
    void OpenPorts(const VbArray<float>& ComPortNumbers);
    // CutSubleg for each subleg in order, until the stop is requested; sublegs that drive the
    // same motors follow one another within the same control rounds, the lines left as they are.
    void CutLeg(const VbArray<typToolPathSubLeg>& SubLegs);
    // The control loop: every round reads the encoders, computes each motor's target at the time
    // elapsed since the start and drives it towards the target (forward above a dead band of one
    // encoder step, backward below it, off inside it), then lets the user interface run. Ends
    // when EndS has passed or the stop is requested, with every line off.
    void CutSubleg(const typToolPathSubLeg& Subleg);
    // True while a cut runs (the program's commands ask it from inside the cut's event loop).
    bool Cutting() const noexcept;

    // Raised in graph mode with each leg's sublegs and the period passed to DriveXMLToolPath.
    Event<const VbArray<typToolPathSubLeg>&, double>& GraphLeg;
    // Raised once when a graph starts, before the first GraphLeg: the view clears its picture.
    Event<>& GraphStarting;
    // Raised once when the cut of a path starts: its ports are open and no motor has moved yet.
    Event<>& CutStarting;
    // Raised once per control round of a cut, after every motor's lines were set and before the
    // user interface runs: the subleg parameter t of the round, and for motors 1 to n the targets
    // and the encoder positions the round drove by (position units). A handler that raises an
    // error ends the cut as any failure does: every line off, the error passed to the caller.
    Event<double, const DoubleArray&, const DoubleArray&>& CutRound;

    // The period and watchdog deadline of the control rounds (checked: period above 0 up to 1 s,
    // deadline above the period up to 10 s), and whether they run on a thread of their own.
    // Refused during a cut.
    void SetControlTiming(const ControlTiming& Timing);
    const ControlTiming& GetControlTiming() const noexcept;
    // The largest |target - measured| a motor may show in a round before the cut stops; 0 for no
    // limit, negative or non-finite values raise. Refused during a cut.
    void SetFollowingErrorLimit(double Limit);
    double FollowingErrorLimit() const noexcept;
    // The latest round the control rounds published (for a window showing positions while the
    // encoders belong to the control thread); false before a cut's first round.
    bool LatestRound(PublishedRound& Round) const;

    // The serial-port host the driver's line-driven motors use: the one given, else one of the
    // object's own. Its port i serves the i-th line-driven motor of the list.
    frmMSComms& PortHost();
    void SetPortHost(std::shared_ptr<frmMSComms> InHost);
    // The encoder of opened port MotorIndex (from 1).
    const clsQuadEncoder& Encoder(std::int32_t MotorIndex) const;
    // The number of encoders: one per port the driver opened, 0 before the first cut.
    std::int32_t EncoderCount() const;
    // The joints of the present motor list, opened as a drive opens them (every line off, the
    // joints of the last drive kept with their positions), for a caller that reads them itself
    // (recording a motion). Refused during a cut; a port that cannot be opened raises its error.
    // The motors count as lent (MotorsLent) until the last copy of the pointer is gone.
    std::shared_ptr<DrivenJoints> OpenMotorJoints();
    // True while a caller of OpenMotorJoints holds the joints: their encoders are then another
    // thread's to read.
    bool MotorsLent() const noexcept { return !lent_.expired(); }
    // Every servo on a bus limp and its device closed (the servos a drive left holding their
    // position let go). Refused during a cut or while the motors are lent; false when a servo
    // could not be switched off.
    bool ReleaseServoBuses();
    // "Zero here": the current position of motor MotorIndex becomes its 0 (homing by hand). A
    // motor whose port is not open raises a subscript error; during a cut, an invalid-argument
    // error.
    void ZeroHere(std::int32_t MotorIndex);

  private:
    std::shared_ptr<clsXML> xmlClass_;
    std::weak_ptr<DrivenJoints> lent_;
};

}  // namespace torvane
