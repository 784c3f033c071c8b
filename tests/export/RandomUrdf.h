#pragma once
// Generated URDF robots for the import tests, seeded so every failure can be replayed: trees of
// every joint type, axes along and against X, Y and Z and in arbitrary directions, origins with
// any roll, pitch and yaw (some exactly at a quarter turn of pitch), several visuals per link
// with their own origins and colours, and mimic joints.

#include <cstdint>
#include <string>

#include "tests/export/SeededDraws.h"

namespace mechanon::testing {

class RandomUrdf : SeededDraws {
  public:
    explicit RandomUrdf(std::uint32_t seed) : SeededDraws(seed) {}
    std::string Make(int links);

  private:
    std::string Origin();
    std::string Axis();
    std::string Visual(int index);
    std::string Joint(int child, int parent, std::string& lastMoving);
};

}  // namespace mechanon::testing
