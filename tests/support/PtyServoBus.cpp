#include "tests/support/PtyServoBus.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <stdexcept>

#include "motorio/ServoProtocol.h"

namespace mechanon::testing {

void EmulatedServo::Step(double Seconds) {
    if (!Torque || !(Seconds > 0)) return;
    const double most = Speed * Seconds;
    Position += std::clamp(Goal - Position, -most, most);
}

PtyServoBus::PtyServoBus(std::vector<EmulatedServo> Servos, Responder Respond)
    : respond_(std::move(Respond)), extraBefore_(torvane::ExtraReplyTime()) {
    char name[128] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    path_ = name;
    // Raw on both sides: every byte passes as it is.
    termios raw{};
    tcgetattr(slave_, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
    tcsetattr(master_, TCSANOW, &raw);
    for (EmulatedServo& s : Servos) servos_[s.Id] = s;
    torvane::SetExtraReplyTime(kExtraReplyTime);
    thread_ = std::jthread([this](std::stop_token stop) { Serve(stop); });
}

PtyServoBus::~PtyServoBus() {
    thread_.request_stop();
    if (thread_.joinable()) thread_.join();
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
    torvane::SetExtraReplyTime(extraBefore_);
}

void PtyServoBus::With(const std::function<void(std::map<int, EmulatedServo>&)>& Change) {
    const std::lock_guard lock(mutex_);
    Change(servos_);
}

std::vector<std::uint8_t> PtyServoBus::Received() const {
    const std::lock_guard lock(mutex_);
    return log_;
}

void PtyServoBus::Unplug() {
    thread_.request_stop();
    if (thread_.joinable()) thread_.join();
    const std::lock_guard lock(mutex_);
    if (master_ >= 0) close(master_);
    master_ = -1;
    if (slave_ >= 0) close(slave_);
    slave_ = -1;
}

void PtyServoBus::Serve(std::stop_token Stop) {
    // A servo is hardware that answers whatever else the computer does. Where the system grants
    // real-time scheduling (as it may to the drive's control loop, which would otherwise keep the
    // emulator from a core), the emulator takes it above the loop's, so that it answers in time
    // on a busy machine as well; without the grant it runs as an ordinary thread.
    sched_param param{};
    param.sched_priority = 20;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    using Clock = std::chrono::steady_clock;
    std::vector<std::uint8_t> pending;
    auto last = Clock::now();
    while (!Stop.stop_requested()) {
        pollfd fd{master_, POLLIN, 0};
        const int ready = poll(&fd, 1, 2);
        std::vector<std::uint8_t> reply;
        {
            const std::lock_guard lock(mutex_);
            const auto now = Clock::now();
            const double seconds = std::chrono::duration<double>(now - last).count();
            last = now;
            for (auto& [id, servo] : servos_) servo.Step(seconds);
            if (ready > 0 && (fd.revents & POLLIN)) {
                std::uint8_t buffer[512];
                const ssize_t got = read(master_, buffer, sizeof buffer);
                if (got > 0) {
                    pending.insert(pending.end(), buffer, buffer + got);
                    log_.insert(log_.end(), buffer, buffer + got);
                }
            }
            if (!pending.empty()) reply = respond_(pending, servos_);
        }
        for (std::size_t done = 0; done < reply.size();) {
            const ssize_t put = write(master_, reply.data() + done, reply.size() - done);
            if (put <= 0) break;
            done += static_cast<std::size_t>(put);
        }
    }
}

}  // namespace mechanon::testing
