// mechanon-cli drive as a user on a small computer with no screen meets it: no display, nothing
// on standard input, the drive's lines read from a pipe while it runs and a signal sent to it.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <regex>
#include <string_view>

#include "model/NumberText.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "motorio/FeetechFrames.h"
#include "tests/export/ExportTestSupport.h"
#include "tests/support/FeetechEmulator.h"
#include "tests/support/PtyServoBus.h"
#include "toolpath/MotorPropertiesText.h"
#include "toolpath/RoomMotorList.h"

namespace mechanon::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

const fs::path kExamples = fs::path(MECHANON_SOURCE_DIR) / "examples";
// The drives here run in real time beside other tests: a round may wait for a core longer than
// the program's 20 ms watchdog allows, so they allow a round half a second.
constexpr const char* kSlowRounds = "500";

// mechanon-cli running with no display and standard input on /dev/null (or on input); standard
// output is read as it comes, standard error collected in a file.
class DriveProcess {
  public:
    DriveProcess(const std::vector<std::string>& args, const ScratchFolder& scratch, int input = -1)
        : errFile_(scratch / "drive.err"), input_(input) {
        fs::remove(errFile_);  // a drive before this one in the folder left its own
        // Everything the child needs is made before the fork: an emulated bus's thread may hold
        // the allocator's lock at that moment.
        words_ = {MECHANON_CLI, "drive"};
        words_.insert(words_.end(), args.begin(), args.end());
        for (std::string& word : words_) argv_.push_back(word.data());
        argv_.push_back(nullptr);
        for (char** variable = environ; *variable; ++variable)
            if (std::string_view(*variable).rfind("DISPLAY=", 0) != 0 &&
                std::string_view(*variable).rfind("WAYLAND_DISPLAY=", 0) != 0)
                env_.push_back(*variable);
        env_.push_back(nullptr);
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
        pid_ = ::fork();
        if (pid_ == 0) Exec(out[1]);
        ::close(out[1]);
        out_ = out[0];
    }
    ~DriveProcess() {
        if (pid_ > 0 && status_ < -1) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) ::close(out_);
    }
    DriveProcess(const DriveProcess&) = delete;
    DriveProcess& operator=(const DriveProcess&) = delete;

    // Reads standard output until text has appeared (true) or it ends or 10 s pass (false).
    bool WaitFor(const std::string& text) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (out.find(text) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !ReadSome(static_cast<int>(left.count()))) return false;
        }
        return true;
    }
    // Watches standard error until text has appeared in it (true) or 10 s pass (false).
    bool WaitForError(const std::string& text) const {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!fs::exists(errFile_) || ReadFile(errFile_).find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > end) return false;
            ::poll(nullptr, 0, 5);
        }
        return true;
    }
    void Signal(int signal) const { ::kill(pid_, signal); }
    // Stops reading standard output, as "| head" does once it has its lines.
    void CloseOutput() {
        ::close(out_);
        out_ = -1;
    }
    // Reads to the end of the output and returns the exit status: -1 when it was not an exit,
    // or when the command had not ended 10 s after its output did (it is then killed).
    int Finish() {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (ReadSome(10000)) {
        }
        int raw = 0;
        while (::waitpid(pid_, &raw, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > end) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
                raw = -1;
                break;
            }
            ::poll(nullptr, 0, 10);
        }
        status_ = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        err = ReadFile(errFile_);
        return status_;
    }

    std::string out, err;

  private:
    [[noreturn]] void Exec(int outFd) const {
        const int in = input_ >= 0 ? input_ : ::open("/dev/null", O_RDONLY);
        const int errFd = ::open(errFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(in, 0);
        ::dup2(outFd, 1);
        ::dup2(errFd, 2);
        ::execve(argv_[0], argv_.data(), env_.data());
        ::_exit(127);
    }
    bool ReadSome(int timeoutMs) {
        if (out_ < 0) return false;
        pollfd watched{out_, POLLIN, 0};
        if (::poll(&watched, 1, timeoutMs) <= 0) return false;
        char buffer[4096];
        const ssize_t got = ::read(out_, buffer, sizeof buffer);
        if (got <= 0) return false;
        out.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    fs::path errFile_;
    int input_ = -1;
    std::vector<std::string> words_;
    std::vector<char*> argv_;
    std::vector<char*> env_;
    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = -2;
};

// An example's robot saved in scratch with its first room's motor list and path edited.
fs::path EditedExample(
    const std::string& name, const ScratchFolder& scratch,
    const std::function<void(torvane::typMotorMasks&, const std::string&)>& edit) {
    torvane::clsRooms rooms;
    rooms.Load((kExamples / name).string());
    const auto room = rooms.Rooms(1);
    torvane::typMotorMasks masks = room->MotorMasks();
    edit(masks, torvane::MotorsTextOf(*room));
    room->SetMotorMasks(masks);
    const fs::path copy = scratch / name;
    rooms.Save(copy.string());
    return copy;
}

std::string ListText(const torvane::ParsedMotorProperties& list) {
    std::string text =
        torvane::TrimmedNumberText(list.vMax) + "," + torvane::TrimmedNumberText(list.aMax);
    for (const torvane::typMotorProperties& motor : list.motors)
        text += "\r\n" + torvane::MotorLineText(motor);
    return text;
}

// The list with its speed limits four times and its accelerations sixteen times as high: the
// same path on the same motors is re-timed to a quarter of the time.
torvane::ParsedMotorProperties Quicker(torvane::ParsedMotorProperties list) {
    list.vMax *= 4;
    list.aMax *= 16;
    for (torvane::typMotorProperties& motor : list.motors) {
        motor.MaxV *= 4;
        motor.MaxA *= 16;
    }
    return list;
}

fs::path QuickExample(const std::string& name, const ScratchFolder& scratch) {
    return EditedExample(name, scratch, [](torvane::typMotorMasks& masks, const std::string& list) {
        masks.XMLProperties = ListText(Quicker(torvane::ParseMotorPropertiesText(list)));
    });
}

std::vector<double> LargestErrors(const std::string& out) {
    std::vector<double> errors;
    const std::regex line(R"(motor \d+ "[^"]*" largest following error (\S+))");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator();
         ++it)
        errors.push_back(std::stod((*it)[1]));
    return errors;
}

TEST(CliDrive, DrivesEachExampleOnSimulatedMotorsWithoutADisplay) {
    for (const std::string name : {"arm.bot", "gripper.bot"}) {
        SCOPED_TRACE(name);
        const ScratchFolder scratch;
        DriveProcess drive(
            {QuickExample(name, scratch).string(), "--simulate", "--watchdog", kSlowRounds},
            scratch);
        ASSERT_EQ(drive.Finish(), 0) << drive.out << drive.err;
        EXPECT_THAT(drive.out, HasSubstr("re-timed: 2 legs"));
        EXPECT_TRUE(std::regex_search(drive.out, std::regex(R"(drove [1-9]\d* pieces in )")))
            << drive.out;
        const std::vector<double> errors = LargestErrors(drive.out);
        EXPECT_EQ(errors.size(), name == "arm.bot" ? 3u : 2u) << drive.out;
        // The simulated motors follow within a few encoder steps; a drive that lost its way
        // (a wrong motor, a path driven at the wrong time) shows far more.
        for (const double error : errors) EXPECT_LT(error, 5) << drive.out;
    }
}

TEST(CliDrive, PrintsProgressEachSecondAndStopsOnSigterm) {
    const ScratchFolder scratch;
    DriveProcess drive({(kExamples / "arm.bot").string(), "--simulate", "--watchdog", kSlowRounds},
                       scratch);
    ASSERT_TRUE(drive.WaitFor("\nS ")) << drive.out;
    const auto signalled = std::chrono::steady_clock::now();
    drive.Signal(SIGTERM);
    EXPECT_EQ(drive.Finish(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(2));
    EXPECT_TRUE(std::regex_search(
        drive.out, std::regex(R"(\nS \d[\d.]*  time 1(\.\d+)? s  largest following error )")))
        << drive.out;
    EXPECT_THAT(drive.out, HasSubstr("ended after"));
    EXPECT_THAT(drive.out, Not(HasSubstr("drove")));
    EXPECT_THAT(drive.err, HasSubstr("stopped"));
}

// A reader that goes away ("| head") leaves the drive to run to its end, which then says on
// standard error that its lines were lost.
TEST(CliDrive, DrivesToTheEndWhenItsOutputIsClosed) {
    const ScratchFolder scratch;
    DriveProcess drive(
        {QuickExample("gripper.bot", scratch).string(), "--simulate", "--watchdog", kSlowRounds},
        scratch);
    ASSERT_TRUE(drive.WaitFor("driving"));
    drive.CloseOutput();
    EXPECT_EQ(drive.Finish(), 1);
    EXPECT_THAT(drive.err, HasSubstr("driven to its end"));
}

TEST(CliDrive, RefusesAPathOutsideTheTravelBeforeAnythingMoves) {
    const ScratchFolder scratch;
    const fs::path robot = EditedExample(
        "arm.bot", scratch, [](torvane::typMotorMasks& masks, const std::string& list) {
            torvane::ParsedMotorProperties parsed = torvane::ParseMotorPropertiesText(list);
            parsed.motors.at(2).Lower = -20;  // the elbow bends to 60
            parsed.motors.at(2).Upper = 20;
            masks.XMLProperties = ListText(parsed);
        });
    DriveProcess drive({robot.string(), "--simulate", "--watchdog", kSlowRounds}, scratch);
    EXPECT_EQ(drive.Finish(), 1);
    EXPECT_THAT(drive.err, HasSubstr("Elbow"));
    EXPECT_THAT(drive.err, HasSubstr("travel"));
    EXPECT_EQ(drive.out, "");
}

// A following error above --max-error trips the drive as the Motion Plot's limit does; a limit
// or a control timing that is not one is a wrong command line, refused before anything is read.
TEST(CliDrive, TripsAtAFollowingErrorAboveMaxError) {
    const ScratchFolder scratch;
    DriveProcess drive({(kExamples / "gripper.bot").string(), "--simulate", "--watchdog",
                        kSlowRounds, "--max-error", "0.1"},
                       scratch);
    EXPECT_EQ(drive.Finish(), 1);
    EXPECT_THAT(drive.err, HasSubstr("following error of motor LeftFinger"));
    EXPECT_THAT(drive.out, HasSubstr("ended after"));
    for (const auto& option : std::vector<std::vector<std::string>>{
             {"--max-error", "-1"}, {"--period", "0"}, {"--watchdog", "0.5"}}) {
        std::vector<std::string> args{(kExamples / "gripper.bot").string()};
        args.insert(args.end(), option.begin(), option.end());
        DriveProcess wrong(args, scratch);
        EXPECT_EQ(wrong.Finish(), 2) << option[0];
        EXPECT_EQ(wrong.out, "");
    }
}

// With --json a script gets the summary alone, as one document, also from a drive that tripped;
// standard error holds nothing but the reason a drive ended early.
TEST(CliDrive, WithJsonTheSummaryIsOneDocumentAndTheProgressIsOff) {
    const ScratchFolder scratch;
    DriveProcess drive({QuickExample("gripper.bot", scratch).string(), "--simulate", "--json"},
                       scratch);
    ASSERT_EQ(drive.Finish(), 0) << drive.out << drive.err;
    EXPECT_EQ(drive.err, "");
    EXPECT_EQ(std::count(drive.out.begin(), drive.out.end(), '\n'), 1) << drive.out;
    const auto summary = nlohmann::json::parse(drive.out);
    EXPECT_EQ(summary.at("completed"), true);
    EXPECT_EQ(summary.at("retimed").at("legs"), 2);
    EXPECT_EQ(summary.at("pieces"), summary["retimed"].at("pieces"));
    EXPECT_GE(summary.at("seconds").get<double>(), summary["retimed"].at("seconds").get<double>());
    EXPECT_GT(summary.at("control_rounds").get<int>(), 0);
    ASSERT_EQ(summary.at("motors").size(), 2u);
    for (const auto& [index, name] : {std::pair{1, "LeftFinger"}, std::pair{2, "RightFinger"}}) {
        const auto& motor = summary["motors"][static_cast<std::size_t>(index - 1)];
        EXPECT_EQ(motor.at("index"), index);
        EXPECT_EQ(motor.at("name"), name);
        EXPECT_LT(motor.at("largest_following_error").get<double>(), 5);
    }

    DriveProcess tripped(
        {(kExamples / "gripper.bot").string(), "--simulate", "--max-error", "0.1", "--json"},
        scratch);
    EXPECT_EQ(tripped.Finish(), 1);
    EXPECT_THAT(tripped.err, HasSubstr("following error of motor LeftFinger"));
    EXPECT_EQ(std::count(tripped.err.begin(), tripped.err.end(), '\n'), 1) << tripped.err;
    const auto ended = nlohmann::json::parse(tripped.out);
    EXPECT_EQ(ended.at("completed"), false);
    EXPECT_EQ(ended.at("pieces"), nullptr);
    EXPECT_GE(ended["motors"][0].at("largest_following_error").get<double>(), 0.1);
}

// A path written in seconds is driven as it stands, its WAIT included, which goes on by itself
// when nobody is at a terminal.
TEST(CliDrive, DrivesATimeBasedPathAsItStandsAndGoesOnAtAWaitWithoutATerminal) {
    const ScratchFolder scratch;
    const fs::path robot = EditedExample(
        "gripper.bot", scratch, [](torvane::typMotorMasks& masks, const std::string&) {
            masks.XMLScript =
                "<DRIVE>\r\n\tStartS= 0\r\n\tEndS= 0.2\r\n\t0 , 0\r\n\t20*t, "
                "2*sin(t)\r\n</DRIVE>\r\n"
                "<WAIT></WAIT>\r\n"
                "<DRIVE>\r\n\tStartS= 0\r\n\tEndS= 0.2\r\n\t4 , 0\r\n\t-20*t, 0\r\n</DRIVE>\r\n";
        });
    DriveProcess drive({robot.string(), "--simulate", "--watchdog", kSlowRounds}, scratch);
    ASSERT_EQ(drive.Finish(), 0) << drive.err;
    EXPECT_THAT(drive.out, Not(HasSubstr("re-timed")));
    EXPECT_THAT(drive.out, HasSubstr("drove 2 pieces"));
    EXPECT_THAT(drive.err, HasSubstr("Ready?... (no terminal on standard input: going on)"));
}

// A pseudo-terminal for the drive's standard input: the user at its keyboard.
class Terminal {
  public:
    Terminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            throw std::runtime_error("no pseudo-terminal");
        slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
        if (slave_ < 0) throw std::runtime_error("no pseudo-terminal");
    }
    ~Terminal() {
        ::close(slave_);
        ::close(master_);
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
    int Input() const { return slave_; }
    void Type(const std::string& keys) const {
        if (::write(master_, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
            throw std::runtime_error("cannot type");
    }

  private:
    int master_ = -1;
    int slave_ = -1;
};

fs::path WaitFirst(const ScratchFolder& scratch) {
    return EditedExample(
        "gripper.bot", scratch, [](torvane::typMotorMasks& masks, const std::string&) {
            masks.XMLScript =
                "<WAIT></WAIT>\r\n"
                "<DRIVE>\r\n\tStartS= 0\r\n\tEndS= 0.1\r\n\t0 , 0\r\n\t20*t, 0\r\n</DRIVE>\r\n";
        });
}

// At a terminal the WAIT holds the motors until Enter; a signal while it waits ends the drive
// there, rather than leaving the command waiting for a key nobody will press.
TEST(CliDrive, AWaitAtATerminalGoesOnAtEnterAndEndsAtASignal) {
    const ScratchFolder scratch;
    const fs::path robot = WaitFirst(scratch);
    {
        const Terminal terminal;
        DriveProcess drive({robot.string(), "--simulate", "--watchdog", kSlowRounds}, scratch,
                           terminal.Input());
        ASSERT_TRUE(drive.WaitForError("press Enter"));
        terminal.Type("\n");
        EXPECT_EQ(drive.Finish(), 0) << drive.err;
        EXPECT_THAT(drive.err, HasSubstr("Ready?... press Enter"));
        EXPECT_THAT(drive.out, HasSubstr("drove 1 piece in"));
    }
    const Terminal terminal;
    DriveProcess drive({robot.string(), "--simulate", "--watchdog", kSlowRounds}, scratch,
                       terminal.Input());
    ASSERT_TRUE(drive.WaitForError("press Enter"));
    drive.Signal(SIGINT);
    EXPECT_EQ(drive.Finish(), 1);
    EXPECT_THAT(drive.err, HasSubstr("stopped"));
    EXPECT_THAT(drive.out, Not(HasSubstr("drove")));
}

// Three STS servos on one emulated bus, ids 1 to 3, standing at their middle count.
std::unique_ptr<PtyServoBus> ThreeServos() {
    std::vector<EmulatedServo> servos;
    for (std::int32_t id = 1; id <= 3; ++id) {
        EmulatedServo servo;
        servo.Id = id;
        servo.Model = kSts3215Model;
        servos.push_back(servo);
    }
    return std::make_unique<PtyServoBus>(servos, FeetechResponder());
}

constexpr double kCountsPerDegree = 4096.0 / 360;

// The arm's motors as the servos of bus, their zero at the middle count; path replaces the
// arm's own when given. The list names a slow rate, which the pseudo-terminal ignores: each reply
// is allowed the time its bytes would take at that rate besides the servo's own, time that a
// busy machine may need to pass the bytes between the two ends of the terminal.
fs::path ArmOnBus(const PtyServoBus& bus, const ScratchFolder& scratch,
                  const std::string& path = {}) {
    return EditedExample("arm.bot", scratch,
                         [&](torvane::typMotorMasks& masks, const std::string& list) {
                             torvane::ParsedMotorProperties parsed =
                                 Quicker(torvane::ParseMotorPropertiesText(list));
                             for (std::size_t i = 0; i < parsed.motors.size(); ++i) {
                                 torvane::typMotorProperties& motor = parsed.motors[i];
                                 motor.Kind = torvane::DriveKind::Feetech;
                                 motor.ComPort = 0;
                                 motor.Device = bus.DevicePath();
                                 motor.Baud = 1200;
                                 motor.ServoId = static_cast<std::int32_t>(i + 1);
                                 motor.Zero = 2048;
                                 motor.Scale = kCountsPerDegree;
                             }
                             masks.XMLProperties = ListText(parsed);
                             if (!path.empty()) masks.XMLScript = path;
                         });
}

std::vector<double> Positions(PtyServoBus& bus) {
    std::vector<double> positions;
    bus.With([&](std::map<int, EmulatedServo>& servos) {
        for (const auto& [id, servo] : servos) positions.push_back(servo.Position);
    });
    return positions;
}

TEST(CliDrive, DrivesServosOnAnEmulatedBusToThePathsEnd) {
    const auto bus = ThreeServos();
    const ScratchFolder scratch;
    const std::string awayPath =
        "<DRIVE>\r\n\tStartS= 0\r\n\tEndS= 0.5\r\n\t0 , 0 , 0\r\n\t40*t, -20*t, 60*t\r\n"
        "</DRIVE>\r\n";
    // Simulated, the servos' list drives without a byte to the bus.
    DriveProcess simulated(
        {ArmOnBus(*bus, scratch, awayPath).string(), "--simulate", "--watchdog", kSlowRounds},
        scratch);
    ASSERT_EQ(simulated.Finish(), 0) << simulated.err;
    EXPECT_TRUE(bus->Received().empty());
    DriveProcess example({ArmOnBus(*bus, scratch).string(), "--watchdog", kSlowRounds}, scratch);
    ASSERT_EQ(example.Finish(), 0) << example.err;
    EXPECT_THAT(example.out, HasSubstr("drove 6 pieces"));
    // The arm's path comes back to where it started; every servo stands there again.
    for (const double position : Positions(*bus)) EXPECT_NEAR(position, 2048, 3);
    DriveProcess drive({ArmOnBus(*bus, scratch, awayPath).string(), "--watchdog", kSlowRounds},
                       scratch);
    ASSERT_EQ(drive.Finish(), 0) << drive.err;
    const std::vector<double> end = Positions(*bus);
    ASSERT_EQ(end.size(), 3u);
    EXPECT_NEAR(end[0], 2048 + 20 * kCountsPerDegree, 3);
    EXPECT_NEAR(end[1], 2048 - 10 * kCountsPerDegree, 3);
    EXPECT_NEAR(end[2], 2048 + 30 * kCountsPerDegree, 3);
}

// A servo that falls silent, or reports overload, mid-drive ends the drive with a message
// naming it (and the fault).
TEST(CliDrive, AServoThatFailsMidDriveEndsTheDriveNamingIt) {
    const struct {
        const char* what;
        std::function<void(EmulatedServo&)> fail;
        std::string reason;
    } cases[] = {
        {"silent", [](EmulatedServo& servo) { servo.Answers = false; }, "did not answer"},
        {"overload",
         [](EmulatedServo& servo) { servo.HardwareError = torvane::feetech::status::Overload; },
         "overload"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto bus = ThreeServos();
        const ScratchFolder scratch;
        DriveProcess drive({ArmOnBus(*bus, scratch).string(), "--watchdog", kSlowRounds}, scratch);
        ASSERT_TRUE(drive.WaitFor("driving")) << drive.out;
        bus->With([&](std::map<int, EmulatedServo>& servos) { c.fail(servos.at(2)); });
        EXPECT_EQ(drive.Finish(), 1);
        EXPECT_THAT(drive.err, HasSubstr("servo 2 on " + bus->DevicePath()));
        EXPECT_THAT(drive.err, HasSubstr(c.reason));
        EXPECT_THAT(drive.out, HasSubstr("ended after"));
    }
}

TEST(CliDrive, InputThatCannotBeDrivenExitsOneWithTheReason) {
    const ScratchFolder scratch;
    const struct {
        const char* what;
        std::function<void(torvane::typMotorMasks&, const std::string&)> edit;
        const char* reason;
    } cases[] = {
        {"no path", [](auto& masks, const auto&) { masks.XMLScript = " \r\n"; },
         "holds no tool path"},
        {"too few motors",
         [](auto& masks, const auto&) { masks.XMLProperties = "5,5\r\nBase,Arm,1,1"; },
         "names only 1"},
        {"unreadable list",
         [](auto& masks, const auto&) { masks.XMLProperties = "5,5\r\nBase,Arm,0,1"; },
         "motor list of the room \"Arm\" cannot be used"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DriveProcess drive({EditedExample("arm.bot", scratch, c.edit).string()}, scratch);
        EXPECT_EQ(drive.Finish(), 1);
        EXPECT_THAT(drive.err, HasSubstr(c.reason));
        EXPECT_EQ(drive.out, "");
    }
    DriveProcess missing({(scratch / "none.bot").string(), "--simulate", "--watchdog", kSlowRounds},
                         scratch);
    EXPECT_EQ(missing.Finish(), 1);
    EXPECT_THAT(missing.err, HasSubstr("cannot drive the robot"));
    DriveProcess noRoom({(kExamples / "arm.bot").string(), "--room", "Nowhere"}, scratch);
    EXPECT_EQ(noRoom.Finish(), 1);
    EXPECT_THAT(noRoom.err, HasSubstr("Nowhere"));
}

}  // namespace
}  // namespace mechanon::testing
