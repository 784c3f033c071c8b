#pragma once
// Generated robots for the export tests: seeded, so every failure can be replayed. Rooms use
// only rooms after them (no cycles); every kind mixes shapes, motors of both types on every axis,
// pivots, attitudes (some on quarter turns) and shared rooms.

#include <cstdint>
#include <string>

#include "model/Records.h"
#include "tests/export/SeededDraws.h"

namespace mechanon::testing {

enum class RobotKind { Mixed, Deep, Wide };

class RandomRobots : SeededDraws {
  public:
    explicit RandomRobots(std::uint32_t seed) : SeededDraws(seed) {}

    torvane::typWrapRooms Make(RobotKind kind);

  private:
    double Angle();
    torvane::typ3Point Point(double extent);
    torvane::typAttitude Attitude();
    torvane::typWrapRoom Room(const std::string& name);
    torvane::typSubPartData Use(const std::string& name, const std::string& room);
};

}  // namespace mechanon::testing
