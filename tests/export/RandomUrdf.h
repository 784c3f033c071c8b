#pragma once
// Generated URDF robots for the import tests, seeded so every failure can be replayed: trees of
// every joint type, axes along and against X, Y and Z and in arbitrary directions, origins with
// any roll, pitch and yaw (some exactly at a quarter turn of pitch), several visuals per link
// with their own origins and colours, and mimic joints.

#include <cstdint>
#include <random>
#include <string>

namespace mechanon::testing {

class RandomUrdf {
  public:
    explicit RandomUrdf(std::uint32_t seed) : random_(seed) {}
    std::string Make(int links);

  private:
    double Uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random_);
    }
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    std::string Origin();
    std::string Axis();
    std::string Visual(int index);
    std::string Joint(int child, int parent, std::string& lastMoving);

    std::mt19937 random_;
};

}  // namespace mechanon::testing
