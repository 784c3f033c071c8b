// mechanon-cli scan on an emulated bus: one line per servo that answers; a device that does not
// open exits 1 naming it, a wrong command line exits 2.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/export/ExportTestSupport.h"
#include "tests/support/FeetechEmulator.h"

namespace mechanon::testing {
namespace {

using ::testing::HasSubstr;

std::vector<EmulatedServo> Servos() {
    std::vector<EmulatedServo> servos(3);
    for (int k = 0; k < 3; ++k) {
        servos[k].Id = 2 * k + 1;  // 1, 3, 5
        servos[k].Model = kSts3215Model;
        servos[k].Position = 1000 + k;
    }
    servos[1].Answers = false;
    return servos;
}

TEST(CliScan, ListsTheServosThatAnswerOneLineEach) {
    PtyServoBus bus(Servos(), FeetechResponder());
    const CliResult found = RunCli(
        {"scan", bus.DevicePath(), "--protocol", "feetech", "--baud", "1000000", "--last-id", "6"});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(found.out, "id 1  model 777  position 1000\nid 5  model 777  position 1002\n");

    const CliResult none =
        RunCli({"scan", bus.DevicePath(), "--protocol", "feetech", "--last-id", "0"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "");
    EXPECT_THAT(none.err, HasSubstr("no servo answered on " + bus.DevicePath()));
}

// With --json the servos are one document; the notes stay on standard error.
TEST(CliScan, ListsTheServosAsOneJsonDocument) {
    PtyServoBus bus(Servos(), FeetechResponder());
    const CliResult found =
        RunCli({"scan", bus.DevicePath(), "--protocol", "feetech", "--last-id", "6", "--json"});
    ASSERT_EQ(found.status, 0) << found.err;
    const auto document = nlohmann::json::parse(found.out);
    EXPECT_EQ(document, nlohmann::json::parse(R"({"device":")" + bus.DevicePath() +
                                              R"(","protocol":"feetech","servos":[
        {"id":1,"model":777,"position":1000},{"id":5,"model":777,"position":1002}],
        "stopped":false,"troubles":[]})"));

    const CliResult none =
        RunCli({"scan", bus.DevicePath(), "--protocol", "feetech", "--last-id", "0", "--json"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(nlohmann::json::parse(none.out).at("servos"), nlohmann::json::array());
    EXPECT_THAT(none.err, HasSubstr("no servo answered on " + bus.DevicePath()));

    const CliResult missing =
        RunCli({"scan", "/dev/ttyNOSUCHBUS", "--protocol", "feetech", "--json"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;
}

TEST(CliScan, ADeviceThatDoesNotOpenOrAWrongCommandLineFails) {
    const CliResult missing = RunCli({"scan", "/dev/ttyNOSUCHBUS", "--protocol", "feetech"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.err, HasSubstr("cannot scan the bus: Serial device /dev/ttyNOSUCHBUS"));
    EXPECT_EQ(missing.out, "");
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"scan", "/dev/null"},
          {"scan", "/dev/null", "--protocol", "lines"},
          {"scan", "/dev/null", "--protocol", "feetech", "--baud", "0"},
          {"scan", "/dev/null", "--protocol", "feetech", "--last-id", "1.5"}}) {
        const CliResult result = RunCli(wrong);
        EXPECT_EQ(result.status, 2) << wrong.back() << ": " << result.err;
    }
}

}  // namespace
}  // namespace mechanon::testing
