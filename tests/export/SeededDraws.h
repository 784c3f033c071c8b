#pragma once
// The draws the random robot makers share: the same seed gives the same robot on every machine.

#include <cstdint>
#include <random>

namespace mechanon::testing {

class SeededDraws {
  protected:
    explicit SeededDraws(std::uint32_t seed) : random_(seed) {}
    double Uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random_);
    }
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  private:
    std::mt19937 random_;
};

}  // namespace mechanon::testing
