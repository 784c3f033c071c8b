#pragma once
// A servo bus emulated on a pseudo-terminal, for the tests and benchmarks of the bus protocols:
// the program opens DevicePath() as it would a USB adapter, and a thread of the emulator answers
// on the other end. Each protocol's emulator gives a Responder that takes the bytes received so
// far, consumes the frames it recognises (answering as the servo would) and leaves a partial
// frame for the next call. The servos move towards their goals at a set speed.
// The emulator's thread answers only once it gets a core, which on a busy machine may take
// longer than a servo's reply limit: while an emulated bus exists, the servo protocols made
// allow kExtraReplyTime more (SetExtraReplyTime), so a test does not depend on the machine's load.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mechanon::testing {

// One emulated servo: its control table as the protocols need it, and its motion.
struct EmulatedServo {
    std::int32_t Id = 1;
    std::int32_t Model = 0;
    double Position = 2048;  // counts
    double Goal = 2048;
    bool Torque = false;
    double Speed = 4000;             // counts per second while torque is on
    std::uint8_t HardwareError = 0;  // the protocol's error bits the servo reports; 0 for none
    bool Answers = true;             // false: the servo is silent (unplugged, wrong id)
    bool CorruptNextReply = false;   // the next reply's checksum is wrong, once
    // Moves towards Goal for Seconds while torque is on.
    void Step(double Seconds);
};

class PtyServoBus {
  public:
    // Returns the bytes to send back for the frames it consumed from Received (erasing them);
    // called with the lock on the servos held.
    using Responder = std::function<std::vector<std::uint8_t>(
        std::vector<std::uint8_t>& Received, std::map<int, EmulatedServo>& Servos)>;

    static constexpr std::chrono::milliseconds kExtraReplyTime{100};

    PtyServoBus(std::vector<EmulatedServo> Servos, Responder Respond);
    ~PtyServoBus();  // stops the thread, closes both ends, puts the extra reply time back
    PtyServoBus(const PtyServoBus&) = delete;
    PtyServoBus& operator=(const PtyServoBus&) = delete;

    // The terminal the program opens ("/dev/pts/N").
    const std::string& DevicePath() const noexcept { return path_; }
    // Works on the servos under the lock (to read where they are, or to make one fail).
    void With(const std::function<void(std::map<int, EmulatedServo>&)>& Change);
    // Every byte received so far, in order (for byte-exact checks of what was sent).
    std::vector<std::uint8_t> Received() const;
    // Closes the emulator's end, as an unplugged adapter does.
    void Unplug();

  private:
    void Serve(std::stop_token Stop);

    int master_ = -1;
    int slave_ = -1;  // held open so that the terminal stays while the program reopens it
    std::string path_;
    Responder respond_;
    mutable std::mutex mutex_;
    std::map<int, EmulatedServo> servos_;
    std::vector<std::uint8_t> log_;
    std::chrono::microseconds extraBefore_;
    std::jthread thread_;
};

}  // namespace mechanon::testing
