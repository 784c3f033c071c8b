// The background queue of room pictures: each room in two steps from the event loop, a room
// wanted first drawn next, but never between the two steps of a room already half drawn.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/SnapShotFiller.h"
#include "model/clsPartRoom.h"

namespace mechanon::testing {
namespace {

class SnapShotFillerTest : public ::testing::Test {
  protected:
    SnapShotFiller::Room Room(const std::string& name) {
        auto room = std::make_shared<torvane::clsPartRoom>();
        room->SetName(name);
        rooms_.push_back(room);
        return room;
    }
    // Runs the event loop until nothing waits; the steps in the order they came.
    std::vector<std::string> Drain() {
        QElapsedTimer waited;
        waited.start();
        while (filler.Waiting() > 0 && waited.elapsed() < 5000) QCoreApplication::processEvents();
        return steps;
    }
    // One pass of the event loop: one step.
    void OneStep() {
        const std::size_t before = steps.size();
        QElapsedTimer waited;
        waited.start();
        while (steps.size() == before && waited.elapsed() < 5000) QCoreApplication::processEvents();
    }

    std::vector<std::string> steps;
    SnapShotFiller filler{
        {[this](const SnapShotFiller::Room& room) {
             steps.push_back("prepare " + room->Name());
             return true;
         },
         [this](const SnapShotFiller::Room& room) { steps.push_back("finish " + room->Name()); }}};

  private:
    std::vector<SnapShotFiller::Room> rooms_;
};

TEST_F(SnapShotFillerTest, ARoomWantedFirstComesNextButNeverBetweenTheTwoStepsOfAnother) {
    const auto a = Room("A"), b = Room("B"), c = Room("C");
    filler.Queue({a, b});
    OneStep();  // A is half drawn
    filler.AddFirst(c);
    filler.AddFirst(b);  // already waiting: moved to the front, once
    EXPECT_EQ(filler.Waiting(), 3);
    EXPECT_EQ(Drain(), (std::vector<std::string>{"prepare A", "finish A", "prepare B", "finish B",
                                                 "prepare C", "finish C"}));

    // Before any step the room wanted first is drawn first; one not in the robot is ignored.
    steps.clear();
    filler.Queue({a, b});
    filler.AddFirst(c);
    filler.AddFirst(nullptr);
    EXPECT_EQ(Drain(), (std::vector<std::string>{"prepare C", "finish C", "prepare A", "finish A",
                                                 "prepare B", "finish B"}));
}

TEST_F(SnapShotFillerTest, ARoomChangedWhileHalfDrawnIsDrawnAgainAfterwards) {
    const auto a = Room("A"), b = Room("B");
    filler.Queue({a, b});
    OneStep();           // A's first step compiled the room as it was
    filler.Add({a, b});  // A changed; B waits already
    EXPECT_EQ(filler.Waiting(), 3);
    EXPECT_EQ(Drain(), (std::vector<std::string>{"prepare A", "finish A", "prepare B", "finish B",
                                                 "prepare A", "finish A"}));
}

}  // namespace
}  // namespace mechanon::testing
