#include "cli/Commands.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <memory>
#include <sstream>

#include "cli/JsonText.h"
#include "export/JointValues.h"
#include "export/MeshCheck.h"
#include "export/MeshFolder.h"
#include "export/PosedRoom.h"
#include "export/RobotExport.h"
#include "export/UrdfImport.h"
#include "kinematics/IkSolver.h"
#include "model/Error.h"
#include "model/JointNotes.h"
#include "model/NumberText.h"
#include "model/RobotFile.h"
#include "script/Engine.h"
#include "shapes/MeshShape.h"
#include "toolpath/TripleStops.h"
#include "toolpath/clsToolPath.h"

namespace mechanon::cli {
namespace {

using torvane::ErrorCode;
using torvane::Raise;

// How near the tip must come to the target (metres, radians), and how long the search may take
// (seconds): a target that is not reached by then counts as out of reach.
constexpr double kIkTolerance = 1e-6;
constexpr double kIkTimeLimit = 0.25;

struct LoadedRobot {
    torvane::clsRooms rooms;
    std::shared_ptr<torvane::clsPartRoom> room;
};

std::unique_ptr<LoadedRobot> LoadRobot(const CliArguments& args) {
    auto robot = std::make_unique<LoadedRobot>();
    robot->rooms.Load(args.input);
    // Mesh parts name their files relative to the robot file, wherever the command runs.
    primora::SetMeshFolder(std::filesystem::absolute(args.input).parent_path());
    robot->room = FindRoom(robot->rooms, args.Option("--room").value_or(""));
    return robot;
}

// An imported robot is exported at the unit it was imported at unless told otherwise.
double Unit(const CliArguments& args, torvane::clsPartRoom& room) {
    const double unit = args.Number("--unit", ImportedUnit(room).value_or(1));
    if (!(unit > 0)) throw UsageError("--unit takes a positive number of metres per model unit");
    return unit;
}

// The motor positions of --positions, or those of --joints (URDF names and units).
std::vector<double> Positions(const CliArguments& args, torvane::clsPartRoom& room) {
    if (!args.Option("--joints")) return args.Positions();
    if (args.Option("--positions")) throw UsageError("give --positions or --joints, not both");
    return PositionsForJoints(room, args.Joints());
}

// The robot as URDF links; a file is written from it only when every mesh can be read (poses
// need none of them).
UrdfRobot PlacedUrdf(const CliArguments& args, LinkMeshes meshes) {
    const auto robot = LoadRobot(args);
    const auto occurrences = PlaceRoom(*robot->room, Positions(args, *robot->room));
    if (meshes == LinkMeshes::Built) RequireReadableMeshes(occurrences);
    return BuildUrdfRobot(occurrences, robot->room->Name(), Unit(args, *robot->room), meshes);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) Raise(ErrorCode::FileError, "cannot open \"" + path + "\"");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) Raise(ErrorCode::FileError, "cannot read \"" + path + "\"");
    return text.str();
}

// A tool-path text with every line ending in CR LF, as the program's editor keeps it: a file
// written with bare line feeds, CR LF or a mix of both reads alike.
std::string ToolPathText(const std::string& path) {
    const std::string text = ReadText(path);
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string JoinedPath(const std::vector<std::string>& path) {
    std::string joined;
    for (const std::string& name : path) joined += (joined.empty() ? "" : "/") + name;
    return joined;
}

// The URDF joint of the motor of a room imported from URDF, none for any other.
std::optional<std::string> JointNameOf(const std::shared_ptr<torvane::clsPartRoom>& room) {
    const auto joint = room ? torvane::ReadJointNotes(room->BlankXML()).Joint : std::nullopt;
    return joint ? std::optional(joint->Name) : std::nullopt;
}

// X,Y,Z and, optionally, ROLL,PITCH,YAW of --target, in metres and radians.
std::vector<double> TargetNumbers(const CliArguments& args) {
    const std::string text = args.Required("--target");
    std::vector<double> numbers;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const auto value = ParseNumber(text.substr(start, comma - start));
        if (!value) break;
        numbers.push_back(*value);
        start = comma + 1;
    }
    if (start <= text.size() || (numbers.size() != 3 && numbers.size() != 6))
        throw UsageError("--target takes X,Y,Z or X,Y,Z,ROLL,PITCH,YAW (metres, radians), not \"" +
                         text + "\"");
    return numbers;
}

IkTarget TargetOf(const std::vector<double>& numbers, double unit, const RobotChain& chain,
                  const std::string& tip) {
    IkTarget target{{numbers[0] / unit, numbers[1] / unit, numbers[2] / unit}, std::nullopt};
    if (numbers.size() == 6) {
        if (chain.Motors().size() < 6)
            Raise(ErrorCode::InvalidArgument,
                  "the chain to \"" + tip + "\" has " + std::to_string(chain.Motors().size()) +
                      " motors; a roll, pitch and yaw can be reached only with six or more, so "
                      "give the position alone");
        target.RollPitchYaw = std::array<double, 3>{numbers[3], numbers[4], numbers[5]};
    }
    return target;
}

std::string Metres(double value) {
    return torvane::TrimSpaces(torvane::ShortNumberText(value, 6));
}

// What info reports: the rooms, the active one and its motor mask table.
struct RobotInfo {
    struct Room {
        std::int32_t Index = 0;
        std::string Name;
        std::size_t Occurrences = 0;
    };
    struct Mask {
        std::int32_t Index = 0;
        std::string Name;
        std::optional<std::string> Path;  // the motor's occurrence, none past the room's motors
        double Value = 0;
        std::optional<std::string> Joint;  // the URDF joint of an imported motor room
    };
    std::vector<Room> Rooms;
    std::string Active;
    std::vector<Mask> Masks;
};

RobotInfo DescribeRobot(const LoadedRobot& robot) {
    RobotInfo info;
    const torvane::clsRooms& rooms = robot.rooms;
    for (std::int32_t i = 1; i <= rooms.TotalRooms; ++i) {
        const auto room = rooms.Rooms(i);
        info.Rooms.push_back({i, room->Name(), PlaceRoom(*room, {}).size()});
    }
    info.Active = robot.room->Name();
    std::vector<std::string> motorPaths;
    for (const auto& o : PlaceRoom(*robot.room, {}))
        if (o.MotorType > 0) motorPaths.push_back(JoinedPath(o.Path));
    const torvane::typMotorMasks masks = robot.room->MotorMasks();
    for (std::int32_t k = 1; k <= masks.TotalMasks && masks.Masks.IsAllocated(); ++k) {
        const auto index = static_cast<std::size_t>(k - 1);
        const auto& mask = masks.Masks(k);
        info.Masks.push_back(
            {k, mask.Name,
             index < motorPaths.size() ? std::optional(motorPaths[index]) : std::nullopt,
             mask.Value, JointNameOf(rooms.GetRoomByName(mask.Name))});
    }
    return info;
}

// totalMasks is the table's count as the file gives it, which may differ from the masks read.
std::string InfoText(const RobotInfo& info, std::int32_t totalMasks) {
    std::ostringstream out;
    out << "rooms " << info.Rooms.size() << "\n";
    for (const auto& room : info.Rooms)
        out << "room " << room.Index << " " << Quoted(room.Name) << " occurrences "
            << room.Occurrences << "\n";
    out << "active " << Quoted(info.Active) << "\n";
    out << "masks " << totalMasks << "\n";
    for (const auto& mask : info.Masks)
        out << "mask " << mask.Index << " " << Quoted(mask.Name) << " " << mask.Path.value_or("?")
            << " " << torvane::TrimmedNumberText(mask.Value)
            << (mask.Joint ? " joint " + Quoted(*mask.Joint) : std::string()) << "\n";
    return out.str();
}

Json InfoJson(const RobotInfo& info) {
    Json rooms = Json::array();
    for (const auto& room : info.Rooms)
        rooms.push_back(
            {{"index", room.Index}, {"name", room.Name}, {"occurrences", room.Occurrences}});
    Json masks = Json::array();
    for (const auto& mask : info.Masks)
        masks.push_back({{"index", mask.Index},
                         {"name", mask.Name},
                         {"path", mask.Path ? Json(*mask.Path) : Json(nullptr)},
                         {"value", mask.Value},
                         {"joint", mask.Joint ? Json(*mask.Joint) : Json(nullptr)}});
    return {{"rooms", rooms}, {"active", info.Active}, {"masks", masks}};
}

}  // namespace

void RunInfo(const CliArguments& args, std::ostream& out) {
    const auto robot = LoadRobot(args);
    const RobotInfo info = DescribeRobot(*robot);
    if (args.Flag("--json"))
        out << JsonText(InfoJson(info));
    else
        out << InfoText(info, robot->room->MotorMasks().TotalMasks);
}

void RunUrdf(const CliArguments& args, std::ostream& out) {
    const std::filesystem::path folder = args.Required("-o");
    const UrdfRobot robot = PlacedUrdf(args, LinkMeshes::Built);
    const std::filesystem::path urdf = folder / (robot.Name + ".urdf");
    WriteUrdf(robot, urdf);
    out << urdf.string() << "\n";
}

void RunStl(const CliArguments& args, std::ostream& out) {
    const std::filesystem::path file = args.Required("-o");
    const auto robot = LoadRobot(args);
    const auto occurrences = PlaceRoom(*robot->room, Positions(args, *robot->room));
    RequireReadableMeshes(occurrences);
    const auto triangles = WorldTriangles(occurrences, Unit(args, *robot->room));
    WriteStl(triangles, file);
    out << file.string() << ": " << triangles.size() << " triangles\n";
}

void RunPoses(const CliArguments& args, std::ostream& out) {
    const UrdfRobot robot = PlacedUrdf(args, LinkMeshes::Left);
    if (args.Flag("--json"))
        out << JsonText(
            {{"robot", robot.Name}, {"joints", JointsJson(robot)}, {"links", LinksJson(robot)}});
    else
        out << PosesText(robot);
}

void RunIk(const CliArguments& args, std::ostream& out) {
    const std::vector<double> numbers = TargetNumbers(args);
    const std::string tip = args.Required("--tip");
    const auto robot = LoadRobot(args);
    torvane::clsPartRoom& room = *robot->room;
    const double unit = Unit(args, room);
    const std::vector<double> start = Positions(args, room);
    const RobotChain chain(room, tip);
    IkOptions options;
    options.Tolerance = kIkTolerance / unit;
    options.AngleTolerance = kIkTolerance;
    options.TimeLimit = kIkTimeLimit;
    const IkResult result = SolveIk(chain, TargetOf(numbers, unit, chain, tip), start, options);
    if (!result.Reached)
        Raise(ErrorCode::InvalidArgument,
              "the target is out of reach: the nearest point the tip reaches is " +
                  Metres(result.Distance * unit) + " m away" +
                  (numbers.size() == 6 ? ", turned " + Metres(result.AngleError) + " rad from it"
                                       : std::string()));
    const UrdfRobot placed =
        BuildUrdfRobot(PlaceRoom(room, result.TablePositions), room.Name(), unit, LinkMeshes::Left);
    if (args.Flag("--json")) {
        out << JsonText(
            {{"tip", tip}, {"positions", result.TablePositions}, {"joints", JointsJson(placed)}});
        return;
    }
    std::istringstream lines(PosesText(placed));
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("joint ", 0) == 0) out << line << "\n";
}

// The robot file and its meshes; the folder of the robot file is made as urdf and stl make
// theirs. When the meshes or the robot cannot be written, the mesh copies and the folders made
// here go again.
void WriteImported(torvane::typWrapRooms& rooms, const std::filesystem::path& robotFile) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::absolute(robotFile).parent_path();
    fs::path firstMade;
    for (fs::path p = folder; !p.empty() && p != p.root_path() && !fs::exists(p);
         p = p.parent_path())
        firstMade = p;
    std::error_code failed;
    fs::create_directories(folder, failed);
    if (failed)
        Raise(ErrorCode::FileError,
              "cannot make the folder \"" + folder.string() + "\": " + failed.message());
    const MeshCopies copies(robotFile);
    try {
        TakeMeshesAlong(rooms, {}, robotFile);
        torvane::WriteRobotFile(robotFile.string(), rooms);
    } catch (...) {
        copies.TakeBack();
        if (!firstMade.empty()) fs::remove_all(firstMade, failed);
        throw;
    }
}

void RunImport(const CliArguments& args, std::ostream& out) {
    const std::filesystem::path robotFile = args.Required("-o");
    UrdfImportOptions options;
    options.MetresPerUnit = args.Number("--unit", kDefaultImportUnit);
    if (!(options.MetresPerUnit > 0))
        throw UsageError("--unit takes a positive number of metres per model unit");
    if (const auto folders = args.repeated.find("--package-path"); folders != args.repeated.end())
        options.PackagePath.assign(folders->second.begin(), folders->second.end());
    UrdfImportResult imported = ImportUrdf(args.input, options);
    torvane::EncodeRobot(imported.Rooms);  // refuses what cannot be written before any copy
    WriteImported(imported.Rooms, robotFile);
    for (const std::string& warning : imported.Warnings) out << "warning: " << warning << "\n";
    out << robotFile.string() << ": " << imported.Rooms.Rooms.UBound() << " rooms, robot "
        << Quoted(imported.RobotRoom) << "\n";
}

void RunExpand(const CliArguments& args, std::ostream& out) {
    const std::string script = ToolPathText(args.input);
    torvane::clsToolPath toolPath(std::make_shared<vbs::Engine>());
    out << toolPath.ExpandScript(script);
}

void RunRetime(const CliArguments& args, std::ostream& out) {
    const std::string path = ToolPathText(args.input);
    torvane::clsToolPath toolPath(std::make_shared<vbs::Engine>());
    toolPath.cVMax = args.Number("--vmax", toolPath.cVMax);
    toolPath.cAMax = args.Number("--amax", toolPath.cAMax);
    out << ExpandToTripleStops(toolPath, path);
}

}  // namespace mechanon::cli
