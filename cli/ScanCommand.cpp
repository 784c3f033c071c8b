#include "cli/ScanCommand.h"

#include <cmath>
#include <iostream>
#include <stop_token>

#include "cli/JsonText.h"
#include "motorio/ServoScan.h"
#include "motorio/Termination.h"

namespace mechanon::cli {
namespace {

torvane::DriveKind ProtocolOf(const std::string& name) {
    if (name == "feetech") return torvane::DriveKind::Feetech;
    if (name == "dynamixel") return torvane::DriveKind::Dynamixel;
    if (name == "maestro") return torvane::DriveKind::Maestro;
    throw UsageError("--protocol must be feetech, dynamixel or maestro, not \"" + name + "\"");
}

// A whole number option above Low, or Fallback when it is not given.
std::int32_t WholeOption(const CliArguments& args, const std::string& name, double low,
                         std::int32_t fallback) {
    if (!args.Option(name)) return fallback;
    const double value = args.Number(name, 0);
    if (value < low || value != std::floor(value) || value > 2147483647)
        throw UsageError(name + " must be a whole number of at least " +
                         std::to_string(static_cast<int>(low)));
    return static_cast<std::int32_t>(value);
}

Json ScanJson(const CliArguments& args, const torvane::ServoScanResult& found) {
    Json servos = Json::array();
    for (const torvane::ServoFound& servo : found.Servos)
        servos.push_back({{"id", servo.Id}, {"model", servo.Model}, {"position", servo.Position}});
    return {{"device", args.input},
            {"protocol", args.Required("--protocol")},
            {"servos", servos},
            {"stopped", found.Cancelled},
            {"troubles", found.Troubles}};
}

}  // namespace

void RunScan(const CliArguments& args, std::ostream& out) {
    const torvane::DriveKind kind = ProtocolOf(args.Required("--protocol"));
    const std::int32_t baud = WholeOption(args, "--baud", 1, 0);
    const std::int32_t lastId = WholeOption(args, "--last-id", 0, -1);
    torvane::InstallTerminationHandlers();
    std::stop_source cancel;
    std::string advice;
    const torvane::ServoScanResult found = torvane::ScanDevice(
        kind, args.input, baud, lastId, cancel.get_token(),
        [&cancel](std::int32_t) {
            if (torvane::TerminationRequested()) cancel.request_stop();
        },
        &advice);
    if (args.Flag("--json"))
        out << JsonText(ScanJson(args, found));
    else
        for (const torvane::ServoFound& servo : found.Servos)
            out << "id " << servo.Id << "  model " << servo.Model << "  position " << servo.Position
                << "\n";
    for (const std::string& trouble : found.Troubles)
        std::cerr << "mechanon-cli: " << trouble << "\n";
    if (found.Cancelled) std::cerr << "mechanon-cli: the scan was stopped before the last id\n";
    if (found.Servos.empty())
        std::cerr << "mechanon-cli: no servo answered on " << args.input << "\n";
    if (!advice.empty()) std::cerr << "mechanon-cli: " << advice << "\n";
}

}  // namespace mechanon::cli
