#pragma once
// The program's own command line: "mechanon [FILE.bot]", "--help", "--version". Read before the
// window system is touched, so the two informational options work without a display.

#include <string>
#include <vector>

namespace mechanon {

struct ProgramArguments {
    bool help = false;
    bool version = false;
    std::string file;   // the robot to open at start, or empty
    std::string error;  // a wrong command line, said in one line; empty when it is right
};

// Arguments after the program name, once Qt has removed the options it reads itself.
ProgramArguments ParseProgramArguments(const std::vector<std::string>& args);

std::string ProgramUsage();
std::string ProgramVersion();

}  // namespace mechanon
