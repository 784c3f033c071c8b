#include "toolpath/clsToolPath.h"

#include <cmath>
#include <span>
#include <utility>

#include "model/Error.h"
#include "model/NumberText.h"
#include "motorio/frmMSComms.h"
#include "script/Engine.h"
#include "script/Operators.h"
#include "script/ScriptError.h"
#include "script/Value.h"
#include "toolpath/TextHelpers.h"
#include "toolpath/VectorMath.h"

namespace torvane {
namespace {

constexpr std::string_view kScriptTags = "LEG,ADDCODE,EVALCODE";
// An equation's parameter may be written "S" or "t"; both are replaced, "S" first.
constexpr std::string_view kParameterLetterList[] = {"S", "t"};
constexpr std::span<const std::string_view> kParameterLetters(kParameterLetterList);

// The S(t) templates of the re-timed pieces; see TripleSubleg.
constexpr std::string_view kAccelerate = "(.5*AMax*t^2+S1)";
constexpr std::string_view kCruise = "(VMax*t+S2)";
constexpr std::string_view kDecelerate = "(VMax*t-.5*AMax*t^2+S3)";
constexpr std::string_view kTriangleDecelerate = "(VMid*t-.5*AMax*t^2+SMid)";

std::string Quote(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string EngineMessage(const vbs::ScriptError& e) {
    return e.Description() + " (script error " + std::to_string(e.Number()) + ")";
}

// Line `line` (1-based) of a block of code, without its line break.
std::string LineOf(std::string_view code, int line) {
    const StringArray lines = SplitText(code, "\n");
    if (line < 1 || line > lines.UBound() + 1) return {};
    std::string text = lines(line - 1);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

// 1-based line of the script on which position `pos` lies.
std::size_t LineAt(std::string_view text, std::size_t pos) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < pos && i < text.size(); ++i)
        if (text[i] == '\n') ++line;
    return line;
}

[[noreturn]] void RaiseBlockError(const vbs::ScriptError& e, const std::string& tag,
                                  std::string_view code, std::size_t firstLine) {
    std::string where = " in the " + tag + " block";
    if (e.Line() > 0) {
        where +=
            " at script line " + std::to_string(firstLine + static_cast<std::size_t>(e.Line()) - 1);
        where += ": " + Quote(LineOf(code, e.Line()));
    } else {
        where += " starting at script line " + std::to_string(firstLine);
    }
    throw Error(ErrorCode::ScriptError, e.Number(), EngineMessage(e) + where);
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
                        std::to_string(firstLine) + " to the text before it");
    }
}

}  // namespace

clsToolPath::clsToolPath() : clsToolPath(frmMSComms::Shared()->ScriptEngine()) {}

clsToolPath::clsToolPath(std::shared_ptr<vbs::Engine> engine) : scriptEval_(std::move(engine)) {}

clsToolPath::~clsToolPath() = default;

void clsToolPath::SetScriptEval(std::shared_ptr<vbs::Engine> engine) noexcept {
    scriptEval_ = std::move(engine);
}

clsXML& clsToolPath::XMLClass() {
    if (!xmlClass_) xmlClass_ = std::make_shared<clsXML>();
    return *xmlClass_;
}

vbs::Engine& clsToolPath::Engine() const {
    if (!scriptEval_)
        Raise(ErrorCode::MissingObject, "The tool path has no script engine to evaluate with");
    return *scriptEval_;
}

double clsToolPath::EvalEq(std::string_view InEq, double S) {
    vbs::Engine& engine = Engine();
    // The engine binds the number in place of the letters, making its text only where the
    // equation needs it, with the same result as evaluating the substituted text.
    try {
        return engine.EvalAt(InEq, kParameterLetters, S, &NumberText).ToDouble();
    } catch (const vbs::ScriptError& e) {
        const std::string number = NumberText(S);
        const std::string text = vbs::Engine::Substitute(InEq, kParameterLetters, number);
        throw Error(ErrorCode::ScriptError, e.Number(),
                    EngineMessage(e) + " in equation " + Quote(InEq) + " at S =" + number +
                        ", evaluated as " + Quote(text));
    }
}

DoubleArray clsToolPath::EvalEqs(const StringArray& InEqs, double S) {
    const std::int32_t upper = InEqs.UBound();
    DoubleArray out = DoubleArray::WithBounds(1, upper < 0 ? 0 : upper);
    for (std::int32_t i = 1; i <= upper; ++i) out(i) = EvalEq(InEqs(i), S);
    return out;
}

StringArray clsToolPath::ReplaceArray(const StringArray& InArray, std::string_view FindStr,
                                      std::string_view Replacement) const {
    StringArray out = InArray;
    for (std::string& s : out.Items()) s = ReplaceAll(s, FindStr, Replacement);
    return out;
}

std::string clsToolPath::ExpandScript(std::string_view InString) {
    // Resetting the engine would take the running cut's functions away.
    RequireNoCut("expand a script");
    vbs::Engine& engine = Engine();
    engine.Reset();
    const VbArray<typXML> pieces = XMLClass().SplitXML(InString, kScriptTags);
    std::string out;
    // Position of the current piece in the script, for the line numbers of error messages. The
    // pieces with their tags put back are exactly the script.
    std::size_t pos = 0;
    for (const typXML& piece : pieces.Items()) {
        if (piece.Tag == "Untagged") {
            out += piece.Contents;
            pos += piece.Contents.size();
            continue;
        }
        pos += piece.Tag.size() + 2;  // the opening tag
        const std::size_t firstLine = LineAt(InString, pos);
        pos += piece.Contents.size() + piece.Tag.size() + 3;
        if (piece.Tag == "LEG") {
            out += "<LEG>\r\n" + piece.Contents + "\r\n</LEG>\r\n";
        } else if (piece.Tag == "ADDCODE") {
            try {
                engine.AddCode(piece.Contents);
            } catch (const vbs::ScriptError& e) {
                RaiseBlockError(e, piece.Tag, piece.Contents, firstLine);
            }
        } else {
            vbs::Value value;
            try {
                value = engine.Eval(piece.Contents);
            } catch (const vbs::ScriptError& e) {
                RaiseBlockError(e, piece.Tag, piece.Contents, firstLine);
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
    return (EvalEq(InSubleg.ParametricEQs(MotorIndex), t) + InSubleg.StartPoints(MotorIndex)) -
           StartParametric;
}

DoubleArray clsToolPath::EvalMotorPositions(const typToolPathSubLeg& InSubleg, double t,
                                            const DoubleArray& StartParametrics) {
    const std::int32_t upper = InSubleg.StartPoints.UBound();
    DoubleArray out = DoubleArray::WithBounds(1, upper < 0 ? 0 : upper);
    for (std::int32_t i = 1; i <= upper; ++i)
        out(i) = EvalMotorPosition(i, InSubleg, t, StartParametrics(i));
    return out;
}

VbArray<typToolPathSubLeg> clsToolPath::TripleSubleg(const typToolPathSubLeg& InSubleg, double VMax,
                                                     double AMax) {
    const double S0 = InSubleg.StartS;
    const double S1e = InSubleg.EndS;
    if (AMax == 0)
        Raise(
            ErrorCode::DivisionByZero,
            "Division by zero: the acceleration limit AMax is 0; re-timing needs a limit above 0");
    if (!std::isfinite(VMax) || !std::isfinite(AMax) || !std::isfinite(S0) || !std::isfinite(S1e))
        Raise(ErrorCode::InvalidArgument,
              "Invalid procedure call or argument: re-timing needs finite limits and parameter "
              "values");
    if (AMax < 0 || VMax < 0)
        Raise(ErrorCode::InvalidArgument,
              "Invalid procedure call or argument: the limits must not be negative (VMax " +
                  TrimmedNumberText(VMax) + ", AMax " + TrimmedNumberText(AMax) + ")");
    if (S1e < S0)
        Raise(ErrorCode::InvalidArgument,
              "Invalid procedure call or argument: the subleg ends before it starts (StartS " +
                  TrimmedNumberText(S0) + ", EndS " + TrimmedNumberText(S1e) + ")");

    // The profile's boundaries, in this order of operations, all before the choice of profile.
    const double T1 = VMax / AMax;                          // seconds to reach VMax
    const double SA = std::pow(T1, 2) * (AMax * 0.5) + S0;  // S at the end of acceleration
    const double SD = S1e - (SA - S0);                      // S at which deceleration begins
    const double SMid = (S1e - S0) / 2 + S0;
    const double TMid = std::sqrt(((SMid - S0) + (SMid - S0)) / AMax);  // seconds to SMid from rest
    const double VMid = TMid * AMax;
    const bool trapezoid = SD > SA;
    if (trapezoid && VMax == 0)
        Raise(ErrorCode::DivisionByZero,
              "Division by zero: the speed limit VMax is 0, so the subleg can never be crossed");
    const double cruise = trapezoid ? (SD - SA) / VMax : 0;
    // A tiny VMax against a long subleg gives a duration no number text can hold.
    if (!std::isfinite(T1) || !std::isfinite(TMid) || !std::isfinite(VMid) ||
        !std::isfinite(cruise))
        Raise(ErrorCode::Overflow, "Overflow: re-timing the subleg from " + TrimmedNumberText(S0) +
                                       " to " + TrimmedNumberText(S1e) + " with VMax " +
                                       TrimmedNumberText(VMax) + " and AMax " +
                                       TrimmedNumberText(AMax) + " takes too long");

    const std::string e1 =
        ReplaceAll(ReplaceAll(kAccelerate, "S1", PlainNumberText(S0)), "AMax", NumberText(AMax));

    typToolPathSubLeg first;
    first.StartS = 0;
    first.EndS = trapezoid ? T1 : TMid;
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

    if (trapezoid) {
        const std::string e2 =
            ReplaceAll(ReplaceAll(kCruise, "VMax", NumberText(VMax)), "S2", NumberText(SA));
        const std::string e3 = ReplaceAll(
            ReplaceAll(ReplaceAll(kDecelerate, "AMax", NumberText(AMax)), "VMax", NumberText(VMax)),
            "S3", NumberText(SD));
        typToolPathSubLeg second = following(first, e2, cruise);
        typToolPathSubLeg third = following(second, e3, T1);
        return VbArray<typToolPathSubLeg>(1,
                                          {std::move(first), std::move(second), std::move(third)});
    }
    const std::string e4 =
        ReplaceAll(ReplaceAll(ReplaceAll(kTriangleDecelerate, "AMax", NumberText(AMax)), "SMid",
                              NumberText(SMid)),
                   "VMid", NumberText(VMid));
    typToolPathSubLeg second = following(first, e4, TMid);
    return VbArray<typToolPathSubLeg>(1, {std::move(first), std::move(second)});
}

}  // namespace torvane
