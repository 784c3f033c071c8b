// The serial device of a servo bus, on a pseudo-terminal: raw bytes both ways at a rate that is
// no standard speed, reads that end at their time limit, one user at a time, and an unplugged
// device raising rather than hanging. And the USB adapter's latency timer, from a settings tree
// made for the test.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <vector>

#include "model/Error.h"
#include "motorio/SerialBusPort.h"
#include "tests/support/PtyServoBus.h"

namespace torvane {
namespace {

using namespace std::chrono_literals;
using mechanon::testing::EmulatedServo;
using mechanon::testing::PtyServoBus;

// An emulator that answers every byte with the byte plus one.
PtyServoBus::Responder Incrementing() {
    return [](std::vector<std::uint8_t>& received, std::map<int, EmulatedServo>&) {
        std::vector<std::uint8_t> reply;
        for (const std::uint8_t b : received) reply.push_back(static_cast<std::uint8_t>(b + 1));
        received.clear();
        return reply;
    };
}

std::string MessageOf(const std::function<void()>& act) {
    try {
        act();
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), ErrorCode::FileError);
        return e.what();
    }
    ADD_FAILURE() << "no error";
    return {};
}

TEST(SerialBusPortTest, PassesRawBytesAtAnyRateAndReadsEndAtTheirTimeLimit) {
    PtyServoBus emulated({}, Incrementing());
    const std::unique_ptr<BusPort> bus = OpenSerialBus(emulated.DevicePath(), 1000000);
    EXPECT_EQ(bus->Device(), emulated.DevicePath());
    EXPECT_DOUBLE_EQ(bus->ByteSeconds(), 1e-5);

    // Bytes a terminal would translate (CR, NL, XON, XOFF, ^C) pass untouched.
    const std::array<std::uint8_t, 6> sent{0x0d, 0x0a, 0x11, 0x13, 0x03, 0xff};
    bus->Write(sent);
    std::array<std::uint8_t, 6> got{};
    ASSERT_EQ(bus->Read(got, 1s), got.size());
    EXPECT_EQ(got, (std::array<std::uint8_t, 6>{0x0e, 0x0b, 0x12, 0x14, 0x04, 0x00}));
    EXPECT_EQ(emulated.Received(), std::vector<std::uint8_t>(sent.begin(), sent.end()));

    // Asked for more than comes: what came, once the time is up.
    bus->Write(std::array<std::uint8_t, 2>{1, 2});
    std::array<std::uint8_t, 8> more{};
    EXPECT_EQ(bus->Read(more, 50ms), 2u);
    EXPECT_EQ(more[1], 3);

    // Leftovers of a failed exchange are dropped: the emulator answers three bytes at once, so
    // once the first is here the others are too.
    bus->Write(std::array<std::uint8_t, 3>{7, 8, 9});
    std::array<std::uint8_t, 1> one{};
    ASSERT_EQ(bus->Read(one, 1s), 1u);
    bus->Discard();
    EXPECT_EQ(bus->Read(one, 10ms), 0u);
}

TEST(SerialBusPortTest, OneUserAtATimeAndAMissingOrUnpluggedDeviceRaisesNamingIt) {
    PtyServoBus emulated({}, Incrementing());
    const std::string device = emulated.DevicePath();
    {
        const std::unique_ptr<BusPort> bus = OpenSerialBus(device, 57600);
        EXPECT_NE(MessageOf([&] { OpenSerialBus(device, 57600); }).find("in use"),
                  std::string::npos);
    }
    // Free again once closed.
    const std::unique_ptr<BusPort> bus = OpenSerialBus(device, 57600);

    EXPECT_NE(MessageOf([] {
                  OpenSerialBus("/dev/ttyNOSUCHDEVICE", 57600);
              }).find("/dev/ttyNOSUCHDEVICE does not exist"),
              std::string::npos);
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "bus-not-a-tty";
    std::ofstream(file) << "x";
    EXPECT_NE(MessageOf([&] { OpenSerialBus(file.string(), 57600); }).find("not a serial device"),
              std::string::npos);
    std::filesystem::remove(file);
    EXPECT_THROW(OpenSerialBus(device, 0), Error);

    emulated.Unplug();
    std::array<std::uint8_t, 4> into{};
    EXPECT_NE(MessageOf([&] { bus->Read(into, 5s); }).find(device), std::string::npos);
    EXPECT_NE(MessageOf([&] { bus->Write(into); }).find(device), std::string::npos);
}

TEST(SerialBusPortTest, TheAdaptersLatencyTimerIsReportedWhenItLimitsTheRounds) {
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("bus-latency-" + std::to_string(::getpid()));
    const std::filesystem::path settings = root / "sys/bus/usb-serial/devices/ttyUSB7";
    std::filesystem::create_directories(settings);
    std::filesystem::create_directories(root / "dev/serial/by-id");
    std::ofstream(root / "dev/ttyUSB7") << "";
    const std::filesystem::path link = root / "dev/serial/by-id/usb-Adapter-if00-port0";
    std::filesystem::create_symlink(root / "dev/ttyUSB7", link);
    const std::string sys = (root / "sys").string();
    const auto timer = [&](int ms) { std::ofstream(settings / "latency_timer") << ms << "\n"; };

    timer(16);
    EXPECT_EQ(UsbLatencyTimerMs(link.string(), sys), 16) << "a by-id name leads to the adapter";
    const std::string advice = LatencyAdvice(link.string(), 5ms, 2, sys);
    EXPECT_NE(advice.find("up to 32 ms"), std::string::npos) << advice;
    EXPECT_NE(advice.find("ttyUSB7/latency_timer"), std::string::npos) << advice;
    EXPECT_EQ(LatencyAdvice(link.string(), 40ms, 2, sys), "") << "the timer does not limit";
    timer(1);
    EXPECT_EQ(LatencyAdvice(link.string(), 1ms, 6, sys), "");
    EXPECT_EQ(UsbLatencyTimerMs((root / "dev/ttyACM0").string(), sys), std::nullopt);
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace torvane
