// mechanon-cli: robots and tool paths without the windows. Exit status 0 on success, 1 when
// the input cannot be used (one line on standard error, nothing written), 2 for a wrong
// command line.

#include <exception>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/DriveCommand.h"
#include "cli/ScanCommand.h"

namespace {

using mechanon::cli::CliArguments;

constexpr const char* kUsage =
    "usage: mechanon-cli COMMAND FILE [OPTIONS]\n"
    "  info ROBOT.bot [--json]             rooms, occurrences and the motor mask table (with\n"
    "                                      the URDF joint names of an imported robot)\n"
    "  urdf ROBOT.bot [--room NAME] [--unit M] -o DIR\n"
    "                                      DIR/<room>.urdf and its meshes in DIR/meshes/\n"
    "  stl ROBOT.bot [--room NAME] [--positions V1,V2,...|--joints J=V,...] [--unit M]\n"
    "      -o FILE.stl                     the posed robot as one binary STL\n"
    "  poses ROBOT.bot [--room NAME] [--positions V1,V2,...|--joints J=V,...] [--unit M]\n"
    "      [--json]                        joint values and link frames of the URDF\n"
    "  ik ROBOT.bot --tip LINK --target X,Y,Z[,ROLL,PITCH,YAW] [--room NAME]\n"
    "      [--positions V1,V2,...|--joints J=V,...] [--unit M] [--json]\n"
    "                                      the joint values (as poses prints them) that put\n"
    "                                      the link at the target, within the motors' travel\n"
    "                                      and nearest the start the positions or joints give;\n"
    "                                      out of reach, how far (exit 1)\n"
    "  import ROBOT.urdf [--package-path DIR]... [--unit M] -o ROBOT.bot\n"
    "                                      a URDF robot as a robot file, its meshes in\n"
    "                                      meshes/ beside it when they lie elsewhere\n"
    "  expand SCRIPT.txt                   the expanded tool path\n"
    "  retime PATH.txt [--vmax V] [--amax A]\n"
    "                                      the path re-timed into trapezoidal pieces\n"
    "  drive ROBOT.bot [--room NAME] [--simulate] [--max-error E] [--period MS]\n"
    "      [--watchdog MS] [--json]\n"
    "                                      drives the room's tool path on its motor list (all\n"
    "                                      simulated with --simulate), re-timed when it is not\n"
    "                                      time-based, stopping at a following error above E;\n"
    "                                      one control round every MS (1), the watchdog at MS\n"
    "                                      (20); progress each second, SIGINT or SIGTERM stops;\n"
    "                                      exit 1 with the reason unless driven to its end\n"
    "  scan DEVICE --protocol feetech|dynamixel|maestro [--baud B] [--last-id N] [--json]\n"
    "                                      the servos that answer on a serial bus: id, model\n"
    "                                      number and position, one line each\n"
    "  --help, --version\n"
    "--positions gives the motor mask table's values in table order (missing ones are 0);\n"
    "--joints gives URDF joint values by joint name, in radians and metres (others are 0);\n"
    "--target is in metres, with roll, pitch and yaw in radians as URDF writes them (only for a\n"
    "tip six motors or more move).\n"
    "--unit is metres per model unit (default 1, or the unit an imported robot came in at;\n"
    "for import 0.01). package://PKG/... is looked up as PKG/... in each --package-path DIR,\n"
    "then in each folder of ROS_PACKAGE_PATH.\n"
    "--json prints the data of info, poses, ik and scan, and the summary of drive (also of a\n"
    "drive that ended early), as one JSON document on one line of standard output; drive then\n"
    "prints no progress. Other failures stay one line on standard error with the same exit\n"
    "status and nothing on standard output.\n";

struct Command {
    std::vector<std::string> options;
    std::function<void(const CliArguments&, std::ostream&)> run;
    const char* failure;  // what went wrong, for the message
};

const std::map<std::string, Command>& Commands() {
    using namespace mechanon::cli;
    static const std::map<std::string, Command> commands{
        {"info", {{"--room", "--json"}, RunInfo, "cannot describe the robot"}},
        {"urdf", {{"--room", "--unit", "-o"}, RunUrdf, "cannot export URDF"}},
        {"stl",
         {{"--room", "--positions", "--joints", "--unit", "-o"}, RunStl, "cannot export STL"}},
        {"poses",
         {{"--room", "--positions", "--joints", "--unit", "--json"},
          RunPoses,
          "cannot place the robot"}},
        {"ik",
         {{"--room", "--tip", "--target", "--positions", "--joints", "--unit", "--json"},
          RunIk,
          "cannot solve inverse kinematics"}},
        {"import", {{"--package-path", "--unit", "-o"}, RunImport, "cannot import the URDF"}},
        {"expand", {{}, RunExpand, "cannot expand the script"}},
        {"retime", {{"--vmax", "--amax"}, RunRetime, "cannot re-time the path"}},
        {"drive",
         {{"--room", "--simulate", "--max-error", "--period", "--watchdog", "--json"},
          RunDrive,
          "cannot drive the robot"}},
        {"scan", {{"--protocol", "--baud", "--last-id", "--json"}, RunScan, "cannot scan the bus"}},
    };
    return commands;
}

// One line: the message's own line breaks become blanks.
std::string OneLine(std::string text) {
    for (char& ch : text)
        if (ch == '\n' || ch == '\r') ch = ' ';
    return text;
}

int UsageFailure(const std::string& why) {
    std::cerr << "mechanon-cli: " << OneLine(why) << "\n" << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return UsageFailure("no command given");
    if (args[0] == "--help" || args[0] == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (args[0] == "--version") {
        std::cout << "mechanon-cli " << MECHANON_VERSION << "\n";
        return 0;
    }
    const auto command = Commands().find(args[0]);
    if (command == Commands().end()) return UsageFailure("unknown command \"" + args[0] + "\"");
    try {
        const CliArguments parsed = mechanon::cli::ParseArguments(args, command->second.options);
        command->second.run(parsed, std::cout);
        std::cout.flush();
        return std::cout ? 0 : 1;
    } catch (const mechanon::cli::UsageError& e) {
        return UsageFailure(e.what());
    } catch (const std::exception& e) {
        std::cerr << "mechanon-cli: " << command->second.failure << ": " << OneLine(e.what())
                  << "\n";
        return 1;
    }
}
