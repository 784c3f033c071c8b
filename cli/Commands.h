#pragma once
// The commands of mechanon-cli. Each writes its result to out and throws on failure (a
// torvane::Error for bad input, a UsageError for a wrong command line); nothing is written to
// disk unless the whole result could be.

#include <ostream>

#include "cli/CliArguments.h"

namespace mechanon::cli {

void RunInfo(const CliArguments& args, std::ostream& out);
void RunUrdf(const CliArguments& args, std::ostream& out);
void RunStl(const CliArguments& args, std::ostream& out);
void RunPoses(const CliArguments& args, std::ostream& out);
// The motor values that put --tip at --target, from the start --positions or --joints give.
void RunIk(const CliArguments& args, std::ostream& out);
void RunImport(const CliArguments& args, std::ostream& out);
void RunExpand(const CliArguments& args, std::ostream& out);
void RunRetime(const CliArguments& args, std::ostream& out);

}  // namespace mechanon::cli
