// The serial-device backend against what this machine offers: missing devices, a
// pseudo-terminal (no modem-control lines), a file that is no terminal, and the first serial
// port when it has modem-control lines (tested in the UART's loopback mode, where RTS comes
// back on CTS and OUT2 on DCD, so nothing leaves the machine).

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "motorio/LinuxSerialLine.h"
#include "motorio/SerialDevices.h"
#include "motorio/frmMSComms.h"

namespace torvane {
namespace {

// Not in the C library's headers: the UART's second user output and its loopback switch.
constexpr int kOut2 = 0x4000;
constexpr int kLoop = 0x8000;

std::string MessageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), ErrorCode::FileError);
        return e.what();
    }
    ADD_FAILURE() << "no error";
    return {};
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class PseudoTerminal {
  public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
            path_ = ptsname(master_);
    }
    ~PseudoTerminal() {
        if (master_ >= 0) close(master_);
    }
    const std::string& Path() const { return path_; }

  private:
    int master_ = -1;
    std::string path_;
};

TEST(LinuxSerialLine, MissingDeviceIsNamedInTheError) {
    LinuxSerialLine line;
    const std::string message = MessageOf([&] { line.Open(200, nullptr); });
    EXPECT_TRUE(Contains(message, "/dev/ttyS199")) << message;
    EXPECT_TRUE(Contains(message, "does not exist")) << message;
    EXPECT_FALSE(line.IsOpen());
    EXPECT_TRUE(Contains(MessageOf([&] { line.Open(0, nullptr); }), "numbered from 1"));
    EXPECT_EQ(LinuxSerialLine::DevicePathOf(1), "/dev/ttyS0");
}

TEST(LinuxSerialLine, OpenFailuresSayWhyInWords) {
    // Root opens what it likes, so the reasons are checked on the words for each errno; the
    // group is that of the device (/dev/null's here, as a device that surely exists).
    EXPECT_TRUE(Contains(LinuxSerialLine::OpenFailureText(EBUSY, "/dev/ttyUSB0"), "busy"));
    EXPECT_TRUE(Contains(LinuxSerialLine::OpenFailureText(ENXIO, "/dev/ttyUSB0"), "plugged in"));
    struct stat info {};
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    const group* owner = ::getgrgid(info.st_gid);
    ASSERT_NE(owner, nullptr);
    const std::string denied = LinuxSerialLine::OpenFailureText(EACCES, "/dev/null");
    EXPECT_TRUE(Contains(denied, "no permission")) << denied;
    EXPECT_TRUE(Contains(denied, "Join the group " + std::string(owner->gr_name))) << denied;
    EXPECT_TRUE(Contains(LinuxSerialLine::OpenFailureText(EACCES, "/no/such/device"), "dialout"));

    // A device given by path that is missing names that path.
    LinuxSerialLine byPath("/dev/ttyUSB-none");
    const std::string message = MessageOf([&] { byPath.Open(1, nullptr); });
    EXPECT_TRUE(Contains(message, "/dev/ttyUSB-none")) << message;
    EXPECT_TRUE(Contains(message, "does not exist")) << message;
}

TEST(SerialDeviceList, OffersTheSerialCharacterDevicesSorted) {
    // A folder standing in for /dev: /dev/null's device node is linked under serial names, and
    // regular files with such names are no devices.
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("mechanon-devs-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "serial" / "by-id");
    for (const char* name : {"ttyUSB1", "ttyS0", "ttyACM0", "serial/by-id/usb-Arduino"})
        std::filesystem::create_symlink("/dev/null", root / name);
    std::ofstream(root / "ttyUSB9") << "not a device";
    std::filesystem::create_symlink("/dev/null", root / "tty0");
    const std::string r = root.string();
    EXPECT_EQ(SerialDevices(r),
              (std::vector<std::string>{r + "/serial/by-id/usb-Arduino", r + "/ttyACM0",
                                        r + "/ttyS0", r + "/ttyUSB1"}));
    std::filesystem::remove_all(root);
    EXPECT_TRUE(SerialDevices(r).empty()) << "a missing folder offers nothing";
}

TEST(LinuxSerialLine, PseudoTerminalIsRefusedClearlyAndReleased) {
    PseudoTerminal pty;
    if (pty.Path().empty()) GTEST_SKIP() << "no pseudo-terminals here";
    for (int attempt = 0; attempt < 2; ++attempt) {  // the second finds it released again
        LinuxSerialLine line(pty.Path());
        const std::string message = MessageOf([&] { line.Open(3, nullptr); });
        EXPECT_TRUE(Contains(message, pty.Path())) << message;
        EXPECT_TRUE(Contains(message, "no modem-control lines")) << message;
        EXPECT_FALSE(line.IsOpen());
        EXPECT_THROW(line.SetDTR(true), Error);
    }
}

TEST(LinuxSerialLine, FileThatIsNoTerminalIsRefused) {
    LinuxSerialLine line("/dev/null");
    const std::string message = MessageOf([&] { line.Open(1, nullptr); });
    EXPECT_TRUE(Contains(message, "/dev/null is not a serial device") ||
                Contains(message, "(/dev/null) is not a serial device"))
        << message;
}

// Holds the machine-wide lock that keeps the tests of the first serial port from running at
// the same time. Each test runs in a process of its own under a parallel test run, and they all
// share one device: one test's loopback and line changes would show up in another's watcher,
// and one test's open would find the port in use by another.
class DeviceTestLock {
  public:
    DeviceTestLock() {
        fd_ = open("/tmp/mechanon-ttyS0-tests.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ >= 0 && flock(fd_, LOCK_EX) != 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~DeviceTestLock() {
        if (fd_ >= 0) close(fd_);  // releases the lock
    }
    DeviceTestLock(const DeviceTestLock&) = delete;
    DeviceTestLock& operator=(const DeviceTestLock&) = delete;
    bool Held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// The first serial port, when the machine has one with modem-control lines.
class FirstSerialPort : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(lock_.Held()) << "cannot take the serial-port test lock";
        probe_ = open("/dev/ttyS0", O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        int status = 0;
        if (probe_ < 0 || ioctl(probe_, TIOCMGET, &status) != 0)
            GTEST_SKIP() << "no /dev/ttyS0 with modem-control lines";
        // Whatever an interrupted earlier run left behind: no loopback, OUT2 low.
        SetBits(kLoop | kOut2, false);
    }
    void TearDown() override {
        if (probe_ < 0) return;
        int loop = kLoop | kOut2;
        ioctl(probe_, TIOCMBIC, &loop);
        close(probe_);
    }
    int Status() const {
        int status = 0;
        EXPECT_EQ(ioctl(probe_, TIOCMGET, &status), 0);
        return status;
    }
    void SetBits(int bits, bool on) {
        ASSERT_EQ(ioctl(probe_, on ? TIOCMBIS : TIOCMBIC, &bits), 0);
    }
    DeviceTestLock lock_;  // taken before the device is touched, released after
    int probe_ = -1;
};

TEST_F(FirstSerialPort, OutputsFollowAndGoOffOnClose) {
    LinuxSerialLine line;
    line.Open(1, nullptr);
    EXPECT_EQ(Status() & (TIOCM_DTR | TIOCM_RTS), 0) << "opened with both lines off";
    termios settings{};
    ASSERT_EQ(tcgetattr(probe_, &settings), 0);
    EXPECT_NE(settings.c_cflag & HUPCL, 0u) << "the kernel drops the lines if the program dies";
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B9600));
    line.SetDTR(true);
    EXPECT_EQ(Status() & (TIOCM_DTR | TIOCM_RTS), TIOCM_DTR);
    line.SetRTS(true);
    line.SetDTR(false);
    EXPECT_EQ(Status() & (TIOCM_DTR | TIOCM_RTS), TIOCM_RTS);
    const int status = Status();
    const ModemInputs in = line.GetInputs();
    EXPECT_EQ(in.DCD, (status & TIOCM_CAR) != 0);
    EXPECT_EQ(in.CTS, (status & TIOCM_CTS) != 0);

    LinuxSerialLine second;
    EXPECT_TRUE(Contains(MessageOf([&] { second.Open(1, nullptr); }), "in use"));

    line.Close();
    EXPECT_EQ(Status() & (TIOCM_DTR | TIOCM_RTS), 0) << "closing switches both lines off";
    second.Open(1, nullptr);  // released
    second.Close();
}

TEST_F(FirstSerialPort, WatcherReportsInputChangesInOrder) {
    SetBits(kLoop, true);
    SetBits(kOut2, false);  // DCD low in loopback
    LinuxSerialLine line;
    std::mutex mutex;
    std::vector<ModemInputs> seen;
    line.Open(1, [&](ModemInputs in) {
        const std::lock_guard lock(mutex);
        seen.push_back(in);
    });
    auto waitFor = [&](std::size_t count) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < until) {
            line.Poll();  // wakes the watcher where the UART raises no line interrupts
            {
                const std::lock_guard lock(mutex);
                if (seen.size() >= count) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    };
    ASSERT_TRUE(waitFor(1)) << "the opening states are reported first";
    line.SetRTS(true);  // comes back on CTS
    ASSERT_TRUE(waitFor(2));
    SetBits(kOut2, true);  // comes back on DCD
    ASSERT_TRUE(waitFor(3));
    line.SetRTS(false);
    ASSERT_TRUE(waitFor(4));
    line.Close();  // must end the watcher even while it waits in the kernel
    const std::lock_guard lock(mutex);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], (ModemInputs{false, false}));
    EXPECT_EQ(seen[1], (ModemInputs{false, true}));
    EXPECT_EQ(seen[2], (ModemInputs{true, true}));
    EXPECT_EQ(seen[3], (ModemInputs{true, false}));
}

TEST_F(FirstSerialPort, HostKeepsEarlierPortsWhenALaterOneIsMissing) {
    frmMSComms host;
    const std::string message = MessageOf([&] {
        host.OpenPorts(VbArray<float>(1, {1.0f, 200.0f}));
    });
    EXPECT_TRUE(Contains(message, "/dev/ttyS199")) << message;
    ASSERT_EQ(host.PortCount(), 1);
    EXPECT_EQ(host.DeviceName(1), "/dev/ttyS0");
    host.SetOutPuts(1, true, false);
    EXPECT_EQ(Status() & (TIOCM_DTR | TIOCM_RTS), TIOCM_DTR);
    host.ClosePorts();
    EXPECT_EQ(host.PortCount(), 0);
    EXPECT_EQ(Status() & (TIOCM_DTR | TIOCM_RTS), 0);
    LinuxSerialLine again;  // released by ClosePorts
    again.Open(1, nullptr);
}

}  // namespace
}  // namespace torvane
