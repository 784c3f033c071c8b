#pragma once
// The big robot of the 3D view's benchmarks and the minimal program they compare it with.
//
// The robot: 500 rooms. Room 1 "Base" (a box) uses "Arm" (a cone that turns about its yaw axis,
// the robot's one motor) 100 times on a 10 x 10 grid; the arm uses "Finger" (a small box) on a
// square grid above it. With 49 fingers room 1's tree holds 1 + 100 + 100 * 49 = 5,001
// occurrences, with 199 fingers 20,001. The other 497 rooms are single boxes and cones.
//
// The minimal program draws the same triangles and lines (every shape's surface, every axis
// marker's lines and ball) from vertex arrays, one matrix per occurrence, then every marker's
// lines in one array placed once, then the balls, into whatever context is current, with its
// lighting and projection.

#include <benchmark/benchmark.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/FramePlacementVisitor.h"
#include "model/Records.h"
#include "model/clsRooms.h"
#include "render/GlPlacementVisitor.h"
#include "shapes/ShapeLists.h"

namespace torvane {
class IShapes;
class clsPartRoom;
}  // namespace torvane

namespace mechanon::bench {

inline constexpr int kWidth = 1600;
inline constexpr int kHeight = 1200;
inline constexpr int kRooms = 500;
inline constexpr int kArms = 100;         // uses of the arm room in the first room
inline constexpr int kFingers = 49;       // 1 + 100 + 100 * 49 = 5,001 occurrences
inline constexpr int kManyFingers = 199;  // 1 + 100 + 100 * 199 = 20,001 occurrences
inline constexpr int kLargerFactor = 4;   // the 20,001 robot's goals: four times the 5,001's
inline constexpr const char* kArmRoom = "Arm";

// The occurrences in room 1's tree for a robot with fingers fingers per arm.
constexpr int Occurrences(int fingers) {
    return 1 + kArms + kArms * fingers;
}

// Builds the robot into rooms (empty before), room 1 active and its motor masks mapped.
void MakeRobot(torvane::clsRooms& rooms, const std::shared_ptr<torvane::IShapes>& shapes,
               int fingers = kFingers);

// The arm's turn in degrees the n-th motor change sets: a small swing back and forth.
double ArmTurn(int n);

// Collects a shape's surface as separate triangles with their normals, in the shape's frame.
class ArraySink final : public primora::TriangleSink {
  public:
    void Begin(primora::PrimitiveMode mode) override;
    void Normal(double x, double y, double z) override { normal_ = {x, y, z}; }
    void Vertex(double x, double y, double z) override;
    void End() override;

    struct Corner {
        std::array<float, 3> at;
        std::array<float, 3> normal;
    };
    std::vector<Corner> corners;

  private:
    primora::PrimitiveMode mode_ = primora::PrimitiveMode::Triangles;
    std::array<double, 3> normal_{0, 0, 1};
    std::vector<Corner> pending_;
};

// The minimal program: one vertex array per shape kind, one matrix and colour per occurrence.
class MinimalProgram {
  public:
    // room as its motor values place it; the markers' balls as detailed as a view with this
    // scale draws them.
    MinimalProgram(torvane::clsPartRoom& room, const torvane::typScreenScale& view);

    std::size_t Triangles() const;
    // One frame into the current context, finished and shown by swap. markers false leaves the
    // axis markers out, as the view does with its axes switched off.
    void Frame(const std::function<void()>& swap, bool markers = true) const;

  private:
    static void At(const torvane::typPlacedOccurrence& o);
    const ArraySink& Ball(std::size_t occurrence) const;
    static std::string Key(const torvane::typPlacedOccurrence& o);
    void Mesh(const torvane::typPlacedOccurrence& o);
    static void Draw(const ArraySink& mesh);
    void PlaceLines(const torvane::typFrame& at);
    void Lines() const;

    struct LineEnd {
        std::array<float, 3> at, color, normal;
    };
    std::vector<torvane::typPlacedOccurrence> occurrences_;
    std::map<std::string, ArraySink> meshes_;
    std::array<ArraySink, primora::kAxisBallLevels> balls_;
    std::vector<int> ballLevels_;
    std::vector<LineEnd> lines_;
    torvane::typCamera camera_;
};

// Sets the counters every row reports: the median of times in milliseconds, the median of the
// minimal program's frames measured beside them, their ratio and the goal.
void ReportMedians(benchmark::State& state, double goalMs, const std::vector<double>& times,
                   const std::vector<double>& limits);

// Runs step (which returns its seconds) and the limit once per iteration and reports both
// medians and their ratio.
void Report(benchmark::State& state, double goalMs, const std::function<double()>& step,
            const std::function<double()>& limit);

}  // namespace mechanon::bench
