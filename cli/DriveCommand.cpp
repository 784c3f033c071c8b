#include "cli/DriveCommand.h"

#include <signal.h>
#include <unistd.h>

#include <cmath>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "cli/DriveProgress.h"
#include "cli/TerminalUserInterface.h"
#include "export/PosedRoom.h"
#include "model/Error.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "motorio/Termination.h"
#include "script/Engine.h"
#include "toolpath/MotorPropertiesText.h"
#include "toolpath/RoomMotorList.h"
#include "toolpath/StopTokenScope.h"
#include "toolpath/ToolPathPieces.h"
#include "toolpath/TripleStops.h"
#include "toolpath/clsToolPath.h"

namespace mechanon::cli {
namespace {

using torvane::ErrorCode;
using torvane::Raise;

// A path is driven in seconds as it stands when every piece starts at 0 and its equations are
// written in t alone, as re-timing writes them; an S anywhere in an equation (the evaluator
// puts the parameter in for every one) means the path is not time-based yet.
bool IsTimeBased(const std::vector<torvane::typToolPathPiece>& pieces) {
    for (const torvane::typToolPathPiece& piece : pieces)
        for (const torvane::typToolPathSubLeg& subleg : piece.Sublegs.Items()) {
            if (subleg.StartS != 0) return false;
            for (const std::string& equation : subleg.ParametricEQs.Items())
                if (equation.find('S') != std::string::npos) return false;
        }
    return true;
}

int SublegCount(const std::vector<torvane::typToolPathPiece>& pieces) {
    int count = 0;
    for (const torvane::typToolPathPiece& piece : pieces)
        count += static_cast<int>(piece.Sublegs.Items().size());
    return count;
}

// A simulated motor with the travel and limits of motor. A servo's scale (counts per unit)
// becomes the simulated encoder's step (units per count), so positions resolve as finely.
torvane::typMotorProperties Simulated(torvane::typMotorProperties motor, std::int16_t port) {
    if (torvane::IsServoBus(motor.Kind)) motor.Scale = 1 / std::abs(motor.Scale);
    motor.Kind = torvane::DriveKind::Simulated;
    motor.ComPort = port;
    motor.Device.clear();
    motor.ServoId = 0;
    motor.Baud = 0;
    motor.Zero = 0;
    return motor;
}

// Puts the room's motor list on toolPath (every motor simulated when asked); returns the
// motors' names.
std::vector<std::string> UseMotorList(torvane::clsToolPath& toolPath,
                                      const torvane::clsPartRoom& room, bool simulate) {
    const std::string text = torvane::MotorsTextOf(room);
    try {
        torvane::ParseMotorPropertiesText(text);
    } catch (const torvane::Error& e) {
        Raise(ErrorCode::InvalidArgument,
              "the motor list of the room \"" + room.Name() + "\" cannot be used: " + e.what());
    }
    toolPath.MotorsPropertiesString(text);
    toolPath.ParseMotorsProperties(toolPath.MotorsPropertiesString());
    torvane::VbArray<torvane::typMotorProperties> motors = toolPath.MotorsProperties();
    std::vector<std::string> names;
    for (std::int32_t i = 1; i <= toolPath.TotalMotors(); ++i) {
        if (simulate) motors(i) = Simulated(motors(i), static_cast<std::int16_t>(i));
        names.push_back(motors(i).Name);
    }
    if (simulate && toolPath.TotalMotors() > 0) toolPath.MotorsProperties(motors);
    return names;
}

std::string PathOf(const torvane::clsPartRoom& room) {
    std::string path = room.MotorMasks().XMLScript;
    if (path.find_first_not_of(" \t\r\n") == std::string::npos)
        Raise(ErrorCode::InvalidArgument,
              "the room \"" + room.Name() + "\" holds no tool path to drive");
    return path;
}

void RequireMotorsFor(const std::vector<torvane::typToolPathPiece>& pieces,
                      const torvane::clsToolPath& toolPath, const std::string& roomName) {
    const int driven = torvane::MotorCountOf(pieces);
    const int listed = toolPath.TotalMotors();
    if (driven > listed)
        Raise(ErrorCode::InvalidArgument,
              "the tool path drives " + std::to_string(driven) +
                  " motors, but the motor list of the room \"" + roomName + "\" names " +
                  (listed == 0 ? std::string("none") : "only " + std::to_string(listed)));
}

// The path as it will be driven: re-timed within the list's limits unless it is time-based.
std::string TimedPath(torvane::clsToolPath& toolPath, const std::string& path,
                      const std::vector<torvane::typToolPathPiece>& pieces,
                      DriveProgress& progress) {
    if (IsTimeBased(pieces)) return path;
    torvane::RetimeSummary summary;
    std::string retimed = torvane::ExpandToTripleStops(toolPath, path, &summary);
    progress.Retimed(summary.Legs, summary.Pieces, summary.Duration);
    return retimed;
}

// --max-error: the following error at which the drive trips, as the limit of the Motion Plot
// window; 0 (the default) for none.
double FollowingErrorLimit(const CliArguments& args) {
    const double limit = args.Number("--max-error", 0);
    if (limit < 0)
        throw UsageError("--max-error takes the largest following error allowed, 0 or above");
    return limit;
}

// --period and --watchdog, in milliseconds, as the program's drive settings give them; the
// program's defaults without them.
torvane::ControlTiming Timing(const CliArguments& args) {
    torvane::ControlTiming timing;
    timing.Period = args.Number("--period", timing.Period * 1000) / 1000;
    timing.Deadline = args.Number("--watchdog", timing.Deadline * 1000) / 1000;
    try {
        torvane::CheckControlTiming(timing);
    } catch (const torvane::Error&) {
        throw UsageError(
            "--period takes the milliseconds between control rounds (above 0, at most 1000) and "
            "--watchdog the milliseconds a round may take (above the period, at most 10000)");
    }
    return timing;
}

// Raised when SIGINT or SIGTERM ended the command before the path's end.
[[noreturn]] void RaiseStopped() {
    throw std::runtime_error(
        "stopped by SIGINT or SIGTERM before the end of the path; the motors were left as a "
        "stop in the program leaves them");
}

// The checks, the re-timing and the drive of path, with progress written to out.
void CheckAndDrive(torvane::clsToolPath& toolPath, const torvane::clsPartRoom& room,
                   const std::string& path, DriveProgress& progress, std::ostream& out) {
    const auto pieces = torvane::ReadToolPathPieces(toolPath.XMLClass(), path);
    RequireMotorsFor(pieces, toolPath, room.Name());
    // Nothing moves, and nothing is re-timed, before the whole path is known to keep within
    // the travel.
    const std::string list = torvane::MotorsTextOf(room);
    toolPath.CheckTravel(path, torvane::MotorRangesOf(room, list), progress.Names());
    const std::string timed = TimedPath(toolPath, path, pieces, progress);
    const torvane::Subscription started = toolPath.CutStarting.Subscribe(
        [&progress] { progress.Started(DriveProgress::Clock::now()); });
    const torvane::Subscription rounds =
        toolPath.CutRound.Subscribe([&progress](double s, const torvane::DoubleArray& targets,
                                                const torvane::DoubleArray& measured) {
            progress.Round(s, targets, measured);
        });
    toolPath.DriveXMLToolPath(timed, false, 0);
    if (torvane::TerminationRequested()) RaiseStopped();
    progress.Summary(DriveProgress::Clock::now(),
                     SublegCount(torvane::ReadToolPathPieces(toolPath.XMLClass(), timed)));
    if (!out)
        throw std::runtime_error(
            "the path was driven to its end, but its report could not be written to standard "
            "output");
}

}  // namespace

void RunDrive(const CliArguments& args, std::ostream& out) {
    const double limit = FollowingErrorLimit(args);
    const torvane::ControlTiming timing = Timing(args);
    const int wake = torvane::InstallTerminationHandlers();
    // Output piped into a reader that quits early ("| head") must not end a drive halfway.
    ::signal(SIGPIPE, SIG_IGN);
    TerminalUserInterface ui(std::cerr, STDIN_FILENO, wake);
    const torvane::ScopedUserInterface host(ui);
    torvane::clsRooms rooms;
    rooms.Load(args.input);
    const auto room = FindRoom(rooms, args.Option("--room").value_or(""));
    torvane::clsToolPath toolPath(std::make_shared<vbs::Engine>());
    DriveProgress progress(
        UseMotorList(toolPath, *room, args.Flag("--simulate")), out,
        args.Flag("--json") ? DriveProgress::Format::Json : DriveProgress::Format::Text);
    const std::string path = PathOf(*room);
    toolPath.SetControlTiming(timing);
    toolPath.SetFollowingErrorLimit(limit);
    // One stop for the checks, the re-timing and the drive. The signal handler only marks the
    // request; the stop itself is asked for here, between rounds and while equations run, as
    // Stop and Escape ask for it in the program.
    torvane::StopTokenScope stop(toolPath, [&ui] { ui.DoEvents(); });
    ui.SetIdleWork([&stop, &progress] {
        if (torvane::TerminationRequested() && !stop.StopRequested()) stop.Stop();
        progress.Tick(DriveProgress::Clock::now());
    });
    const struct IdleEnd {
        TerminalUserInterface& ui;
        ~IdleEnd() { ui.SetIdleWork({}); }
    } idleEnd{ui};
    try {
        CheckAndDrive(toolPath, *room, path, progress, out);
    } catch (...) {
        if (progress.HasStarted()) progress.Summary(DriveProgress::Clock::now(), std::nullopt);
        if (torvane::TerminationRequested()) RaiseStopped();
        throw;
    }
}

}  // namespace mechanon::cli
