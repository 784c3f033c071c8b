#pragma once
// A serial device of the machine used for its modem-control lines. Port n is /dev/ttyS<n-1>;
// a USB adapter (/dev/ttyUSB0) is reached by linking it to a free /dev/ttyS name, for example
// with a udev rule SYMLINK+="ttyS8" (port 9), or by giving the device path directly.
//
// A watcher thread waits in the kernel for a change of DCD or CTS, reads both states and
// reports them through the change handler; it touches nothing else. Drivers that refuse the
// wait are polled by the watcher every half millisecond instead. Some ports accept the wait but
// never end it (a UART without modem-status interrupts): Poll, called by the port host on every
// control round, compares the lines with what the watcher last reported and wakes it when they
// differ, so changes are still reported, in order, by the watcher alone.

#include <termios.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/SerialLine.h"

namespace torvane {

class LinuxSerialLine final : public SerialLine {
  public:
    // devicePath, when given, is opened whatever the port number; otherwise the path comes
    // from the port number.
    explicit LinuxSerialLine(std::string devicePath = {});
    ~LinuxSerialLine() override;
    LinuxSerialLine(const LinuxSerialLine&) = delete;
    LinuxSerialLine& operator=(const LinuxSerialLine&) = delete;

    static std::string DevicePathOf(int portNumber);
    // Why `device` could not be opened, in words, for the errno of the open: missing, busy, or no
    // permission with the group to join.
    static std::string OpenFailureText(int e, const std::string& device);

    void Open(int portNumber, ChangeHandler onChange) override;
    void Close() noexcept override;
    bool IsOpen() const noexcept override { return fd_ >= 0; }
    void SetDTR(bool on) override;
    void SetRTS(bool on) override;
    ModemInputs GetInputs() override;
    // One ioctl clearing both bits: the kernel serialises it with any other call on the line.
    void ForceOff() noexcept override;
    void Poll() override;
    std::string DeviceName() const override;

    // True while the watcher waits in the kernel rather than polling.
    bool WatcherWaitsForChanges() const noexcept { return waitsForChanges_.load(); }

  private:
    void SetLine(int bit, bool on, const char* name);
    [[noreturn]] void FailOpen(const std::string& why, int savedErrno);
    void Watch();
    void StopWatcher() noexcept;

    std::string fixedPath_;
    std::string device_;
    int port_ = 0;
    int fd_ = -1;
    termios savedSettings_{};
    bool settingsSaved_ = false;
    ChangeHandler onChange_;
    std::thread watcher_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> watcherDone_{false};
    std::atomic<bool> waitsForChanges_{true};
    std::atomic<int> lastReported_{-1};  // bit 0 DCD, bit 1 CTS; -1 before the first report
};

}  // namespace torvane
