// A motion recorded from simulated motors turned by a scripted hand, written as a tool path and
// driven back on the same motors, in real time.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "motorio/DrivenJoints.h"
#include "motorio/SimulatedHand.h"
#include "motorio/SimulatedJoints.h"
#include "motorio/frmMSComms.h"
#include "platform/ScriptedUserInterface.h"
#include "script/Engine.h"
#include "tests/motorio/MotorTestSupport.h"
#include "toolpath/MotionRecorder.h"
#include "toolpath/RecordedPath.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

using test::CodeOf;

// A swing out and back in `seconds`, `steps` at its furthest, starting and ending at rest.
SimulatedHand::Curve Swing(double steps, double seconds) {
    return [=](double t) {
        const double phase = std::clamp(t / seconds, 0.0, 1.0);
        return steps * 0.5 * (1 - std::cos(2 * std::numbers::pi * phase));
    };
}

// The recorded position of motor m at time t, between the samples around it.
double RecordedAt(const std::vector<typMotionSample>& samples, double t, std::size_t m) {
    const auto after =
        std::upper_bound(samples.begin(), samples.end(), t,
                         [](double at, const typMotionSample& s) { return at < s.T; });
    if (after == samples.begin()) return samples.front().Positions[m];
    if (after == samples.end()) return samples.back().Positions[m];
    const typMotionSample& a = *(after - 1);
    const double f = (t - a.T) / (after->T - a.T);
    return a.Positions[m] + f * (after->Positions[m] - a.Positions[m]);
}

class RecordReplay : public ::testing::Test {
  protected:
    RecordReplay() {
        SimulatedMotorParameters parameters;
        parameters.Hand = hand;
        host->UsePortBackend(PortBackend::SimulatedMotor);
        host->SetSimulatedMotorParameters(parameters);
        path.SetPortHost(host);
        path.ParseMotorsProperties("5,5\r\nShoulder,arm,1,0.5\r\nElbow,forearm,2,0.5");
        // The replay runs in real time beside other tests: a round may wait for a core longer
        // than the program's 20 ms watchdog allows.
        ControlTiming timing;
        timing.Deadline = 0.5;
        path.SetControlTiming(timing);
    }
    // Waits, letting the ports' events through, until `seconds` of the steady clock passed.
    void RunFor(double seconds) {
        const double end = SystemClock().Seconds() + seconds;
        while (SystemClock().Seconds() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::shared_ptr<SimulatedHand> hand = std::make_shared<SimulatedHand>();
    std::shared_ptr<frmMSComms> host = std::make_shared<frmMSComms>();
    clsToolPath path{host->ScriptEngine()};
    ScriptedUserInterface ui;
    ScopedUserInterface installedUi{ui};
};

TEST_F(RecordReplay, TheReplayFollowsTheRecordingWithinTwoEncoderSteps) {
    // The motors are lent (their encoders another thread's) exactly while the joints are held.
    EXPECT_FALSE(path.MotorsLent());
    {
        const std::shared_ptr<DrivenJoints> held = path.OpenMotorJoints();
        EXPECT_TRUE(path.MotorsLent());
    }
    EXPECT_FALSE(path.MotorsLent());
    const std::shared_ptr<DrivenJoints> joints = path.OpenMotorJoints();
    MotionRecorder recorder(*joints, 2);
    recorder.Start();
    EXPECT_TRUE(recorder.Sampling());
    hand->Turn(1, Swing(30, 0.6));
    hand->Turn(2, Swing(-25, 0.5));
    RunFor(0.9);
    hand->Release(1);
    hand->Release(2);
    EXPECT_GE(recorder.Rate(), 100) << "samples a second";
    const std::vector<typMotionSample> recording = recorder.Stop();
    EXPECT_FALSE(recorder.Sampling());
    ASSERT_GT(recording.size(), 90u);
    const auto furthest = [&](std::size_t m) {
        double most = 0;
        for (const typMotionSample& s : recording) most = std::max(most, std::abs(s.Positions[m]));
        return most;
    };
    EXPECT_NEAR(furthest(0), 30 * 0.5, 1) << "the hand's swing in the motor's units";
    EXPECT_NEAR(furthest(1), 25 * 0.5, 1);

    RecordedPathSummary summary;
    const std::string text = WriteRecordedPath(path.XMLClass(), recording, 0.1, &summary);
    EXPECT_LT(summary.Pieces, recording.size() - 50)
        << "thinned: the rest after the swings is one piece";
    std::vector<double> durations;
    const VbArray<typToolPathSubLeg> pieces =
        path.XMLClass().ParseXMLSublegs(text.substr(7, text.size() - 15));
    for (const typToolPathSubLeg& s : pieces.Items()) durations.push_back(s.EndS);

    // Replayed from where the hand left the motors (where it gripped them), each round's
    // measured position compared with the recording at the same time of the path. The pieces
    // follow one another without a pause, so a motor keeps its speed across their joins.
    double worst[2] = {0, 0};
    std::size_t piece = 0;
    double offset = 0;
    double lastT = -1;
    auto rounds = path.CutRound.Subscribe([&](double t, const DoubleArray&, const DoubleArray& m) {
        if (t < lastT && piece < durations.size()) offset += durations[piece++];
        lastT = t;
        for (std::size_t k = 0; k < 2; ++k)
            worst[k] = std::max(worst[k], std::abs(m(static_cast<std::int32_t>(k + 1)) -
                                                   RecordedAt(recording, offset + t, k)));
    });
    path.DriveXMLToolPath(text, false, 0);
    EXPECT_LE(worst[0], 2 * 0.5) << "motor 1, two steps of 0.5";
    EXPECT_LE(worst[1], 2 * 0.5) << "motor 2, two steps of 0.5";
}

TEST_F(RecordReplay, SamplingEndsWithAnErrorWhenThePortsGoAndRefusesTooFewJoints) {
    // More motors than joints open.
    SimulatedJoints one;
    one.Open({JointLine{1, "", 1, DriveKind::Simulated}});
    MotionRecorder tooMany(one, 2);
    std::string message;
    EXPECT_EQ(CodeOf([&] { tooMany.Start(); }, &message), ErrorCode::InvalidArgument);
    EXPECT_NE(message.find("needs 2 motors, but 1 are open"), std::string::npos) << message;
    EXPECT_TRUE(tooMany.Stop().empty()) << "nothing started";
    MotionRecorder none(one, 0);
    EXPECT_EQ(CodeOf([&] { none.Start(); }, &message), ErrorCode::InvalidArgument);
    EXPECT_NE(message.find("no motor to record"), std::string::npos) << message;

    // The joints closed under a running recording: it ends by itself, and Stop says why once.
    MotionRecorder recorder(one, 1);
    recorder.Start();
    while (recorder.SampleCount() < 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    one.Close();
    while (recorder.Sampling()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(CodeOf([&] { recorder.Stop(); }, &message), ErrorCode::SubscriptOutOfRange);
    EXPECT_NE(message.find("closed during the recording"), std::string::npos) << message;
    EXPECT_TRUE(recorder.Stop().empty());
}

}  // namespace
}  // namespace torvane
