#pragma once
// mechanon-cli scan: the servos that answer on a serial bus.

#include <ostream>

#include "cli/CliArguments.h"

namespace mechanon::cli {

// Pings every id of --protocol on the device (args.input) at --baud (default the protocol's),
// up to --last-id; one line per servo found on out: its id, model number and position (with
// --json one document listing them, whether the scan was stopped and the troubles). Notes
// (nothing found, unreadable replies, the adapter's latency timer) go to standard error.
// SIGINT or SIGTERM ends the scan early with what was found so far.
void RunScan(const CliArguments& args, std::ostream& out);

}  // namespace mechanon::cli
