#include <gtest/gtest.h>

#include <thread>

#include "motorio/clsQuadEncoder.h"
#include "motorio/frmMSComms.h"
#include "tests/motorio/MotorTestSupport.h"

namespace torvane {
namespace {

using test::FakeBench;
using test::FakeLines;

VbArray<float> Ports(std::initializer_list<float> numbers) {
    return VbArray<float>(1, numbers);
}

class PortHost : public ::testing::Test {
  protected:
    PortHost() { host->UseLineFactory(FakeLines(bench)); }
    // Feeds encoders (index i at i - 1) from OnComm, as the driver does, and notes the indices.
    Subscription FeedEncoders() {
        return host->OnComm.Subscribe([this](std::int16_t index) {
            bool in1 = false, in2 = false;
            host->GetInputs(index, in1, in2);
            encoders[index - 1].RefreshPosition(in1, in2);
            indices.push_back(index);
        });
    }
    std::shared_ptr<FakeBench> bench = std::make_shared<FakeBench>();
    std::unique_ptr<frmMSComms> host = std::make_unique<frmMSComms>();
    clsQuadEncoder encoders[2];
    std::vector<int> indices;
};

TEST_F(PortHost, OpensRoundedPortNumbersAndReopensWithoutDoubles) {
    host->OpenPorts(Ports({2.5f, 3.5f, 1.4f}));
    ASSERT_EQ(host->PortCount(), 3);
    EXPECT_EQ(host->PortNumber(1), 2) << "halves go to even";
    EXPECT_EQ(host->PortNumber(2), 4);
    EXPECT_EQ(host->PortNumber(3), 1);
    EXPECT_EQ(host->DeviceName(2), "fake4");

    host->SetOutPuts(1, true, true);  // the host does not forbid both
    EXPECT_TRUE(bench->wires[2].dtr && bench->wires[2].rts);

    host->OpenPorts(Ports({2.5f, 3.5f, 1.4f}));
    EXPECT_EQ(bench->OpenCount(), 3);
    EXPECT_EQ(bench->wires[2].opens, 2);
    EXPECT_FALSE(bench->AnyLineOn()) << "reopening switches every line off";

    host->ClosePorts();
    EXPECT_EQ(host->PortCount(), 0);
    EXPECT_EQ(bench->OpenCount(), 0);
}

TEST_F(PortHost, BadPortListsLeaveTheOpenPortsAlone) {
    host->OpenPorts(Ports({1, 2}));
    host->SetOutPuts(2, true, false);
    for (float bad : {40000.0f, -40000.0f, std::numeric_limits<float>::quiet_NaN()}) {
        try {
            host->OpenPorts(Ports({5, bad}));
            FAIL() << "accepted " << bad;
        } catch (const Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::Overflow);
        }
    }
    EXPECT_EQ(host->PortCount(), 2);
    EXPECT_TRUE(bench->wires[2].dtr) << "nothing was touched";
    EXPECT_EQ(bench->wires.count(5), 0u);
}

TEST_F(PortHost, MissingPortFailsThereAndKeepsThePortsBeforeIt) {
    bench->missing.insert(7);
    try {
        host->OpenPorts(Ports({1, 2, 7, 3}));
        FAIL() << "port 7 opened";
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), ErrorCode::FileError);
        EXPECT_NE(std::string(e.what()).find("fake7"), std::string::npos) << e.what();
    }
    EXPECT_EQ(host->PortCount(), 2);
    EXPECT_TRUE(bench->wires[1].open && bench->wires[2].open);
    EXPECT_EQ(bench->wires.count(3), 0u) << "nothing after the failing port";
    host->SetOutPuts(2, false, true);
    EXPECT_TRUE(bench->wires[2].rts);
}

TEST_F(PortHost, IndicesAreChecked) {
    host->OpenPorts(Ports({1}));
    bool a = false, b = false;
    auto code = [&](auto&& call) {
        try {
            call();
        } catch (const Error& e) {
            return e.Code();
        }
        return ErrorCode::InvalidArgument;  // nothing thrown
    };
    EXPECT_EQ(code([&] { host->SetOutPuts(2, true, false); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(code([&] { host->SetOutPuts(0, true, false); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(code([&] { host->GetInputs(2, a, b); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(code([&] { host->SetOutPuts(32768, true, false); }), ErrorCode::Overflow);
    EXPECT_EQ(code([&] { host->GetInputs(-40000, a, b); }), ErrorCode::Overflow);
    EXPECT_FALSE(bench->AnyLineOn());
}

TEST_F(PortHost, OnCommReportsEveryChangeInOrderWithItsStates) {
    host->OpenPorts(Ports({4, 5}));
    const Subscription sub = FeedEncoders();
    // Three forward steps on port 4 and one backward on port 5 before anyone drains.
    bench->Change(4, false, true);
    bench->Change(4, true, true);
    bench->Change(5, true, false);
    bench->Change(4, true, false);
    EXPECT_TRUE(indices.empty()) << "changes wait for the user-interface thread";
    host->ProcessLineEvents();
    EXPECT_EQ(indices, (std::vector<int>{1, 1, 2, 1}));
    EXPECT_EQ(encoders[0].Position(), 3) << "each handler saw the states of its own change";
    EXPECT_EQ(encoders[1].Position(), -1);
    EXPECT_EQ(host->LineSteps(1), 3);
    EXPECT_EQ(host->LineSteps(2), -1);

    bool in1 = false, in2 = true;
    host->GetInputs(1, in1, in2);
    EXPECT_TRUE(in1);
    EXPECT_FALSE(in2);

    // Changes still queued when the ports are reopened are dropped.
    bench->Change(4, false, false);
    host->OpenPorts(Ports({4}));
    indices.clear();
    host->ProcessLineEvents();
    EXPECT_TRUE(indices.empty());
}

TEST_F(PortHost, ChangesPostedFromAnotherThreadAllArrive) {
    host->OpenPorts(Ports({1}));
    clsQuadEncoder encoder;
    int wakeUps = 0;
    std::atomic<int> posted{0};
    host->LineEvents().SetWakeUp([&] { posted.fetch_add(1); });
    auto sub = host->OnComm.Subscribe([&](std::int16_t index) {
        bool in1 = false, in2 = false;
        host->GetInputs(index, in1, in2);
        encoder.RefreshPosition(in1, in2);
        ++wakeUps;
    });
    constexpr int kSteps = 20000;
    std::thread device([&] {
        for (int n = 1; n <= kSteps; ++n) bench->ChangeToCount(1, n);
    });
    while (wakeUps < kSteps) host->ProcessLineEvents();
    device.join();
    host->ProcessLineEvents();
    EXPECT_EQ(wakeUps, kSteps);
    EXPECT_EQ(posted.load(), kSteps);
    EXPECT_EQ(encoder.Position(), kSteps);
    EXPECT_EQ(host->LineSteps(1), kSteps);
}

// A port nobody drains cannot fill the memory: changes beyond the queue's limit are dropped,
// and the listeners are brought back to the present states afterwards.
TEST_F(PortHost, AFullQueueDropsChangesAndResynchronises) {
    host->OpenPorts(Ports({1, 2}));
    host->LineEvents().SetLimit(4);
    const Subscription sub = FeedEncoders();
    for (int n = 1; n <= 10; ++n) bench->ChangeToCount(1, n);  // ten forward steps on port 1
    host->ProcessLineEvents();
    EXPECT_EQ(host->DroppedLineChanges(), 6u);
    EXPECT_EQ(indices, (std::vector<int>{1, 1, 1, 1, 1, 2})) << "four changes, then every port";
    EXPECT_EQ(encoders[0].Position(), 4) << "the dropped steps are lost to the listener";
    EXPECT_EQ(host->LineSteps(1), 10) << "the reporting thread counted every one";
    bool in1 = true, in2 = false;
    host->GetInputs(1, in1, in2);
    EXPECT_EQ((ModemInputs{in1, in2}), bench->wires[1].inputs) << "the present states";

    // From the new reference on, steps count again.
    bench->Change(1, false, true);  // 11 -> 01: backward
    host->ProcessLineEvents();
    EXPECT_EQ(encoders[0].Position(), 3);
    EXPECT_EQ(host->DroppedLineChanges(), 6u);
}

TEST_F(PortHost, LinesGoOffOnEveryWayOut) {
    host->OpenPorts(Ports({1, 2}));
    host->SetOutPuts(1, true, false);
    host->SetOutPuts(2, false, true);
    EXPECT_TRUE(host->AllLinesOff());
    EXPECT_FALSE(bench->AnyLineOn());
    EXPECT_EQ(bench->OpenCount(), 2) << "switching off keeps the ports open";

    host->SetOutPuts(2, true, false);
    host->ClosePorts();
    EXPECT_FALSE(bench->AnyLineOn());

    host->OpenPorts(Ports({1, 2}));
    host->SetOutPuts(1, false, true);
    host.reset();  // the program ends
    EXPECT_FALSE(bench->AnyLineOn());
    EXPECT_EQ(bench->OpenCount(), 0);
}

TEST(PortHostBackends, SimulatedMotorsNeedNoHardware) {
    test::ManualClock clock;
    test::ScopedClock installed(clock);
    frmMSComms host;
    host.UsePortBackend(PortBackend::SimulatedMotor);
    host.OpenPorts(Ports({1, 2}));
    EXPECT_EQ(host.DeviceName(2), "simulated motor on port 2");
    int changes = 0;
    auto sub = host.OnComm.Subscribe([&](std::int16_t index) { changes += index == 1; });
    host.SetOutPuts(1, true, false);
    clock.now += 0.01;
    host.ProcessLineEvents();
    EXPECT_GT(changes, 5);
    EXPECT_EQ(host.LineSteps(1), changes);
    EXPECT_EQ(host.LineSteps(2), 0);
}

TEST(SubscriptionEvent, HandlersMayCancelAndSubscribeWhileRaised) {
    Event<int> event;
    std::vector<std::string> calls;
    Subscription second;
    Subscription added;
    Subscription first = event.Subscribe([&](int v) {
        calls.push_back("first" + std::to_string(v));
        second.Cancel();
        if (v == 1)
            added = event.Subscribe([&](int w) { calls.push_back("added" + std::to_string(w)); });
    });
    second = event.Subscribe([&](int v) { calls.push_back("second" + std::to_string(v)); });
    event.Raise(1);
    EXPECT_EQ(calls, (std::vector<std::string>{"first1"}));
    EXPECT_EQ(event.SubscriberCount(), 2u);
    added.Cancel();
    event.Raise(2);
    {
        Event<int> shortLived;
        added = shortLived.Subscribe([](int) {});
    }
    added.Cancel();  // the event is gone; cancelling is harmless
    EXPECT_EQ(calls, (std::vector<std::string>{"first1", "first2"}));
}

}  // namespace
}  // namespace torvane
