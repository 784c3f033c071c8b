#include "toolpath/clsToolPath.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/Error.h"
#include "model/NumberText.h"
#include "motorio/JointSets.h"
#include "motorio/LineDrivenJoints.h"
#include "motorio/frmMSComms.h"
#include "script/Engine.h"
#include "script/Operators.h"
#include "script/ScriptError.h"
#include "script/Value.h"
#include "toolpath/MotorPropertiesText.h"
#include "toolpath/PathEvaluator.h"
#include "toolpath/PathTravelCheck.h"
#include "toolpath/ScriptErrorText.h"
#include "toolpath/StrayTags.h"
#include "toolpath/TextHelpers.h"
#include "toolpath/TrapezoidProfile.h"
#include "toolpath/VectorMath.h"
#include "toolpath/clsToolPathDriver.h"

namespace torvane {
namespace {

constexpr std::string_view kScriptTags = "LEG,ADDCODE,EVALCODE";

// The S(t) templates of the re-timed pieces; see TripleSubleg.
constexpr std::string_view kAccelerate = "(.5*AMax*t^2+S1)";
constexpr std::string_view kCruise = "(VMax*t+S2)";
constexpr std::string_view kDecelerate = "(VMax*t-.5*AMax*t^2+S3)";
constexpr std::string_view kTriangleDecelerate = "(VMid*t-.5*AMax*t^2+SMid)";

// Line `line` (1-based) of a block of code, without its line break.
std::string LineOf(std::string_view code, int line) {
    const StringArray lines = SplitText(code, "\n");
    if (line < 1 || line > lines.UBound() + 1) return {};
    std::string text = lines(line - 1);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

// The 1-based line of a position in a text, counted on from the last position asked for, so
// walking a text from start to end costs one pass however many positions are asked.
class LineCounter {
  public:
    explicit LineCounter(std::string_view text) : text_(text) {}
    // Positions must not decrease from one call to the next.
    std::size_t LineAt(std::size_t pos) {
        const std::size_t end = std::min(pos, text_.size());
        for (; counted_ < end; ++counted_)
            if (text_[counted_] == '\n') ++line_;
        return line_;
    }

  private:
    std::string_view text_;
    std::size_t counted_ = 0;
    std::size_t line_ = 1;
};

// `start` is where the block's code begins in the script: its line and column there.
[[noreturn]] void RaiseBlockError(const vbs::ScriptError& e, const std::string& tag,
                                  std::string_view code, const TextPlace& start) {
    std::string where = " in the " + tag + " block";
    int line = start.Line;
    int column = 0;
    if (e.Line() > 0) {
        line = start.Line + e.Line() - 1;
        column = e.Column() > 0 ? e.Column() + (e.Line() == 1 ? start.Column - 1 : 0) : 0;
        where += " at script line " + std::to_string(line) + ": " + Quote(LineOf(code, e.Line()));
    } else {
        where += " starting at script line " + std::to_string(line);
    }
    throw Error(ErrorCode::ScriptError, e.Number(), EngineMessage(e) + where).At(line, column);
}

// The value of an EVALCODE block joins the text built so far.
void AppendValue(const vbs::Value& value, std::size_t firstLine, std::string& out) {
    if (value.IsString()) {
        out += value.AsString();
        return;
    }
    // Anything else goes through the language's "+": a number is added to the text so far when
    // that text reads as a number, and is a type mismatch otherwise.
    try {
        out = vbs::ApplyBinary(vbs::BinaryOp::Add, vbs::Value::String(std::move(out)), value)
                  .ToString();
    } catch (const vbs::ScriptError& e) {
        throw Error(ErrorCode::ScriptError, e.Number(),
                    EngineMessage(e) + " adding the value of the EVALCODE block at script line " +
                        std::to_string(firstLine) + " to the text before it")
            .At(static_cast<int>(firstLine));
    }
}

}  // namespace

clsToolPath::clsToolPath(std::shared_ptr<vbs::Engine> engine, std::shared_ptr<frmMSComms> Ports)
    : eval_(std::make_unique<PathEvaluator>(std::move(engine))),
      ports_(std::make_shared<LineDrivenJoints>(std::move(Ports))),
      joints_(std::make_unique<JointSets>(ports_)),
      driver_(std::make_unique<clsToolPathDriver>(*eval_, *joints_)),
      GraphLeg(driver_->GraphLeg),
      GraphStarting(driver_->GraphStarting),
      CutStarting(driver_->CutStarting),
      CutRound(driver_->CutRound) {}

clsToolPath::~clsToolPath() = default;

const std::shared_ptr<vbs::Engine>& clsToolPath::ScriptEval() const noexcept {
    return eval_->ScriptEval();
}

void clsToolPath::SetScriptEval(std::shared_ptr<vbs::Engine> engine) noexcept {
    eval_->SetScriptEval(std::move(engine));
}

clsXML& clsToolPath::XMLClass() {
    if (!xmlClass_) xmlClass_ = std::make_shared<clsXML>();
    return *xmlClass_;
}

double clsToolPath::EvalEq(std::string_view InEq, double S) {
    return eval_->EvalEq(InEq, S);
}

DoubleArray clsToolPath::EvalEqs(const StringArray& InEqs, double S) {
    return eval_->EvalEqs(InEqs, S);
}

StringArray clsToolPath::ReplaceArray(const StringArray& InArray, std::string_view FindStr,
                                      std::string_view Replacement) const {
    StringArray out = InArray;
    for (std::string& s : out.Items()) s = ReplaceAll(s, FindStr, Replacement);
    return out;
}

std::string clsToolPath::ExpandScript(std::string_view InString) {
    // Resetting the engine would take the running cut's functions away.
    driver_->RequireNoCut("expand a script");
    vbs::Engine& engine = eval_->Engine();
    engine.Reset();
    const VbArray<typXML> pieces = XMLClass().SplitXML(InString, kScriptTags);
    std::string out;
    // Position of the current piece in the script, for the line numbers of error messages. The
    // pieces with their tags put back are exactly the script.
    std::size_t pos = 0;
    LineCounter lines(InString);
    for (const typXML& piece : pieces.Items()) {
        if (piece.Tag == "Untagged") {
            out += piece.Contents;
            pos += piece.Contents.size();
            continue;
        }
        pos += piece.Tag.size() + 2;  // the opening tag
        const std::size_t codeAt = pos;
        const std::size_t firstLine = lines.LineAt(pos);
        pos += piece.Contents.size() + piece.Tag.size() + 3;
        if (piece.Tag == "LEG") {
            // A code block inside a leg would be copied into the path as it stands, never run.
            RefuseStrayTags(piece.Contents, firstLine,
                            "inside the LEG block of line " + std::to_string(firstLine),
                            kScriptCodeTags);
            out += "<LEG>\r\n" + piece.Contents + "\r\n</LEG>\r\n";
        } else if (piece.Tag == "ADDCODE") {
            try {
                engine.AddCode(piece.Contents);
            } catch (const vbs::ScriptError& e) {
                RaiseBlockError(e, piece.Tag, piece.Contents, PlaceIn(InString, codeAt));
            }
        } else {
            vbs::Value value;
            try {
                value = engine.Eval(piece.Contents);
            } catch (const vbs::ScriptError& e) {
                RaiseBlockError(e, piece.Tag, piece.Contents, PlaceIn(InString, codeAt));
            }
            AppendValue(value, firstLine, out);
        }
    }
    return out;
}

DoubleArray clsToolPath::AddVectors(const DoubleArray& In1, const DoubleArray& In2) const {
    return torvane::AddVectors(In1, In2);
}

DoubleArray clsToolPath::SubtractVectors(const DoubleArray& Subtractee,
                                         const DoubleArray& SubtractMe) const {
    return torvane::SubtractVectors(Subtractee, SubtractMe);
}

double clsToolPath::VectorDistance(const DoubleArray& StartPoints,
                                   const DoubleArray& EndPoints) const {
    return torvane::VectorDistance(StartPoints, EndPoints);
}

double clsToolPath::EvalMotorPosition(std::int32_t MotorIndex, const typToolPathSubLeg& InSubleg,
                                      double t, double StartParametric) {
    return eval_->EvalMotorPosition(MotorIndex, InSubleg, t, StartParametric);
}

DoubleArray clsToolPath::EvalMotorPositions(const typToolPathSubLeg& InSubleg, double t,
                                            const DoubleArray& StartParametrics) {
    return eval_->EvalMotorPositions(InSubleg, t, StartParametrics);
}

void clsToolPath::CheckTravel(std::string_view InText, const std::vector<typMotorRange>& Ranges,
                              const std::vector<std::string>& Names) {
    const std::vector<typToolPathPiece> pieces = ReadToolPathPieces(XMLClass(), InText);
    if (const auto excursion = FindTravelExcursion(*eval_, pieces, Ranges))
        RaiseTravelExcursion(*excursion, Ranges, Names);
}

VbArray<typToolPathSubLeg> clsToolPath::TripleSubleg(const typToolPathSubLeg& InSubleg, double VMax,
                                                     double AMax) {
    const TrapezoidProfile p = PlanTrapezoid(InSubleg.StartS, InSubleg.EndS, VMax, AMax);
    const std::string e1 = ReplaceAll(
        ReplaceAll(kAccelerate, "S1", PlainNumberText(InSubleg.StartS)), "AMax", NumberText(AMax));

    typToolPathSubLeg first;
    first.StartS = 0;
    first.EndS = p.PieceDuration(0);
    first.StartPoints = InSubleg.StartPoints;
    first.ParametricEQs = ReplaceArray(InSubleg.ParametricEQs, "S", e1);

    // A piece after `previous` starts at the motor positions where the engine puts the end of it.
    const auto following = [&](const typToolPathSubLeg& previous, const std::string& e,
                               double duration) {
        typToolPathSubLeg piece;
        piece.StartS = 0;
        piece.EndS = duration;
        piece.StartPoints = EvalMotorPositions(previous, previous.EndS,
                                               EvalEqs(previous.ParametricEQs, previous.StartS));
        piece.ParametricEQs = ReplaceArray(InSubleg.ParametricEQs, "S", e);
        return piece;
    };

    if (p.Cruises) {
        const std::string e2 = ReplaceAll(ReplaceAll(kCruise, "VMax", NumberText(VMax)), "S2",
                                          NumberText(p.SAccelerated));
        const std::string e3 = ReplaceAll(
            ReplaceAll(ReplaceAll(kDecelerate, "AMax", NumberText(AMax)), "VMax", NumberText(VMax)),
            "S3", NumberText(p.SDecelerating));
        typToolPathSubLeg second = following(first, e2, p.PieceDuration(1));
        typToolPathSubLeg third = following(second, e3, p.PieceDuration(2));
        return VbArray<typToolPathSubLeg>(1,
                                          {std::move(first), std::move(second), std::move(third)});
    }
    const std::string e4 =
        ReplaceAll(ReplaceAll(ReplaceAll(kTriangleDecelerate, "AMax", NumberText(AMax)), "SMid",
                              NumberText(p.SMid)),
                   "VMid", NumberText(p.VMid));
    typToolPathSubLeg second = following(first, e4, p.PieceDuration(1));
    return VbArray<typToolPathSubLeg>(1, {std::move(first), std::move(second)});
}

// ---- Stopping ----

void clsToolPath::SetStopSource(std::stop_source Source, std::function<void()> PollHook) {
    eval_->SetStopSource(std::move(Source), std::move(PollHook));
}

std::stop_token clsToolPath::StopToken() const noexcept {
    return eval_->StopToken();
}

void clsToolPath::RequestStop() noexcept {
    eval_->RequestStop();
}

void clsToolPath::ThrowIfStopped(std::string_view what) const {
    eval_->ThrowIfStopped(what);
}

void clsToolPath::SetControlTiming(const ControlTiming& Timing) {
    driver_->SetTiming(Timing);
}
const ControlTiming& clsToolPath::GetControlTiming() const noexcept {
    return driver_->Timing();
}
void clsToolPath::SetFollowingErrorLimit(double Limit) {
    driver_->SetFollowingErrorLimit(Limit);
}
double clsToolPath::FollowingErrorLimit() const noexcept {
    return driver_->FollowingErrorLimit();
}
bool clsToolPath::LatestRound(PublishedRound& Round) const {
    return driver_->Published().Latest(Round);
}

// ---- Driver ----

const std::string& clsToolPath::MotorsPropertiesString() const {
    return driver_->PropertiesText;
}

void clsToolPath::MotorsPropertiesString(std::string_view InString) {
    driver_->PropertiesText = TrimSpaces(InString);
}

void clsToolPath::ParseMotorsProperties(std::string_view InString) {
    if (InString.empty()) return;
    ParsedMotorProperties parsed =
        ParseMotorPropertiesText(InString);  // throws before anything changes
    cVMax = parsed.vMax;
    cAMax = parsed.aMax;
    if (parsed.motors.empty()) return;  // the previous list stays
    driver_->SetMotors(VbArray<typMotorProperties>(1, std::move(parsed.motors)));
}

VbArray<typMotorProperties> clsToolPath::MotorsProperties() const {
    return driver_->Motors();
}

void clsToolPath::MotorsProperties(const VbArray<typMotorProperties>& InMotors) {
    driver_->SetMotors(InMotors);
}

std::int32_t clsToolPath::TotalMotors() const {
    return driver_->TotalMotors();
}

void clsToolPath::DriveXMLToolPath(std::string_view InLegs, bool Graph, double Period) {
    driver_->DriveXMLToolPath(XMLClass(), InLegs, Graph, Period);
}

void clsToolPath::OpenPorts(const VbArray<float>& ComPortNumbers) {
    driver_->RequireNoCut("open the ports");
    std::vector<double> scales;
    for (std::int32_t i = 1; i <= TotalMotors(); ++i) scales.push_back(driver_->Motors()(i).Scale);
    ports_->OpenPorts(ComPortNumbers, {}, scales);
}

void clsToolPath::CutLeg(const VbArray<typToolPathSubLeg>& SubLegs) {
    driver_->CutLeg(SubLegs);
}

void clsToolPath::CutSubleg(const typToolPathSubLeg& Subleg) {
    driver_->CutSubleg(Subleg);
}

bool clsToolPath::Cutting() const noexcept {
    return driver_->Cutting();
}

frmMSComms& clsToolPath::PortHost() {
    return ports_->Host();
}

void clsToolPath::SetPortHost(std::shared_ptr<frmMSComms> InHost) {
    if (ports_->UsesHost(InHost.get())) return;
    driver_->RequireNoCut("change the port host");
    ports_->SetHost(std::move(InHost));
}

const clsQuadEncoder& clsToolPath::Encoder(std::int32_t MotorIndex) const {
    return ports_->Encoder(MotorIndex);
}

std::int32_t clsToolPath::EncoderCount() const {
    return ports_->EncoderCount();
}

std::shared_ptr<DrivenJoints> clsToolPath::OpenMotorJoints() {
    driver_->RequireNoCut("open the motors");
    std::vector<JointLine> lines;
    for (std::int32_t i = 1; i <= TotalMotors(); ++i) {
        const typMotorProperties& m = driver_->Motors()(i);
        lines.push_back(JointLineOf(m));
    }
    std::shared_ptr<DrivenJoints> joints = MakeDrivenJoints(lines, *joints_);
    joints->Open(lines);
    // The lease shares the joints' ownership, so MotorsLent ends with the caller's last copy.
    struct Lease {
        std::shared_ptr<DrivenJoints> joints;
    };
    const auto lease = std::make_shared<Lease>(Lease{std::move(joints)});
    std::shared_ptr<DrivenJoints> lent(lease, lease->joints.get());
    lent_ = lent;
    return lent;
}

bool clsToolPath::ReleaseServoBuses() {
    driver_->RequireNoCut("switch the servos off");
    if (MotorsLent())
        Raise(ErrorCode::InvalidArgument,
              "Invalid procedure call or argument: cannot switch the servos off while the motors "
              "are being recorded");
    return joints_->ReleaseServoBuses();
}

void clsToolPath::ZeroHere(std::int32_t MotorIndex) {
    driver_->RequireNoCut("zero a motor");
    ports_->ZeroHere(MotorIndex);
}

}  // namespace torvane
