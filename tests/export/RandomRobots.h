#pragma once
// Generated robots for the export tests: seeded, so every failure can be replayed. Rooms use
// only rooms after them (no cycles); every kind mixes shapes, motors of both types on every axis,
// pivots, attitudes (some on quarter turns) and shared rooms.

#include <cstdint>
#include <random>
#include <string>

#include "model/Records.h"

namespace mechanon::testing {

enum class RobotKind { Mixed, Deep, Wide };

class RandomRobots {
  public:
    explicit RandomRobots(std::uint32_t seed) : random_(seed) {}

    torvane::typWrapRooms Make(RobotKind kind);

  private:
    double Uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random_);
    }
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    double Angle();
    torvane::typ3Point Point(double extent);
    torvane::typAttitude Attitude();
    torvane::typWrapRoom Room(const std::string& name);
    torvane::typSubPartData Use(const std::string& name, const std::string& room);

    std::mt19937 random_;
};

}  // namespace mechanon::testing
