#include "app/CommandLine.h"

#include "app/ProgramName.h"

namespace mechanon {

ProgramArguments ParseProgramArguments(const std::vector<std::string>& args) {
    ProgramArguments parsed;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
        } else if (arg == "--version") {
            parsed.version = true;
        } else if (!arg.empty() && arg[0] == '-') {
            parsed.error = "unknown option " + arg;
        } else if (parsed.file.empty()) {
            parsed.file = arg;
        } else {
            parsed.error = "only one robot file can be opened, not also " + arg;
        }
    }
    return parsed;
}

std::string ProgramUsage() {
    return "usage: mechanon [FILE.bot]\n"
           "  Opens the robot file FILE.bot, or starts with a new robot.\n"
           "  --help     this text\n"
           "  --version  the program's version\n"
           "The command line tool mechanon-cli exports robots (URDF, STL) and tool paths\n"
           "without the windows; see mechanon-cli --help.\n";
}

std::string ProgramVersion() {
    return std::string(kProgramName) + " " + MECHANON_VERSION;
}

}  // namespace mechanon
