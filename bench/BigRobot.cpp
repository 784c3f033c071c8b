#include "bench/BigRobot.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "bench/MedianTime.h"
#include "bench/UseRoom.h"
#include "model/clsPartRoom.h"
#include "model/clsSubPart.h"
#include "render/GlPlacementVisitor.h"
#include "shapes/ShapeGeometry.h"
#include "shapes/ShapeRegistry.h"

namespace mechanon::bench {

namespace {

using torvane::clsPartRoom;
using torvane::clsSubPart;

std::shared_ptr<clsPartRoom> MakeRoom(const std::string& name, const std::string& shape,
                                      double size,
                                      const std::shared_ptr<torvane::IShapes>& shapes) {
    auto room = std::make_shared<clsPartRoom>();
    room->Init(false);
    room->SetName(name);
    auto data = room->PartData();
    data.ShapeName = shape;
    data.Size = torvane::DoubleArray(1, {size, size, size});
    data.ShapeColor = torvane::DoubleArray(1, {40, 60, 90});
    room->SetPartData(data);
    room->Shapes = shapes;
    return room;
}

}  // namespace

void MakeRobot(torvane::clsRooms& rooms, const std::shared_ptr<torvane::IShapes>& shapes,
               int fingers) {
    // The fingers on a square grid over the arm's 0.6 x 0.6 top, each 0.8 of the grid's step.
    const int columns = static_cast<int>(std::ceil(std::sqrt(fingers)));
    const double step = 0.6 / std::max(1, columns - 1);
    auto base = MakeRoom("Base", "box", 1, shapes);
    auto arm = MakeRoom(kArmRoom, "cone", 0.6, shapes);
    auto armData = arm->PartData();
    armData.MotorType = torvane::MotorTypeOf(torvane::MotorKind::Rotational);
    armData.MotorDimension = 2;  // about its yaw axis
    arm->SetPartData(armData);
    auto finger = MakeRoom("Finger", "box", 0.8 * step, shapes);
    for (int i = 0; i < fingers; ++i)
        UseRoom(*arm, finger, i, -0.3 + step * (i % columns), -0.3 + step * (i / columns));
    for (int i = 0; i < kArms; ++i) UseRoom(*base, arm, i, -4.5 + (i % 10), -4.5 + (i / 10));
    rooms.Shapes = shapes;
    rooms.InsertPartRoom(base, 1);
    rooms.InsertPartRoom(arm, 2);
    rooms.InsertPartRoom(finger, 3);
    for (int r = 4; r <= kRooms; ++r)
        rooms.InsertPartRoom(
            MakeRoom("Room " + std::to_string(r), r % 2 ? "cone" : "box", 2, shapes), r);
    rooms.SetPartRoomIndex(1);
    rooms.MapMotorMasks();
}

double ArmTurn(int n) {
    return n % 2 ? 5 : -5;
}

void ArraySink::Begin(primora::PrimitiveMode mode) {
    mode_ = mode;
    pending_.clear();
}

void ArraySink::Vertex(double x, double y, double z) {
    pending_.push_back({{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)},
                        {static_cast<float>(normal_[0]), static_cast<float>(normal_[1]),
                         static_cast<float>(normal_[2])}});
}

void ArraySink::End() {
    using primora::PrimitiveMode;
    const auto& p = pending_;
    const auto tri = [this](std::size_t a, std::size_t b, std::size_t c) {
        for (std::size_t i : {a, b, c}) corners.push_back(pending_[i]);
    };
    if (mode_ == PrimitiveMode::Triangles)
        for (std::size_t i = 0; i + 2 < p.size(); i += 3) tri(i, i + 1, i + 2);
    if (mode_ == PrimitiveMode::Quads)
        for (std::size_t i = 0; i + 3 < p.size(); i += 4)
            tri(i, i + 1, i + 2), tri(i, i + 2, i + 3);
    if (mode_ == PrimitiveMode::QuadStrip)
        for (std::size_t i = 0; i + 3 < p.size(); i += 2)
            tri(i, i + 1, i + 3), tri(i, i + 3, i + 2);
    if (mode_ == PrimitiveMode::TriangleFan)
        for (std::size_t i = 1; i + 1 < p.size(); ++i) tri(0, i, i + 1);
}

MinimalProgram::MinimalProgram(clsPartRoom& room, const torvane::typScreenScale& view) {
    torvane::FramePlacementVisitor walk;
    clsSubPart root;
    torvane::typMotorMasks masks = room.MotorMasks();
    masks.CountMasks = 1;
    room.CalculateForwardKinematics(root, masks, walk);
    occurrences_ = walk.Occurrences();
    for (const auto& o : occurrences_) {
        Mesh(o);
        // Each marker's ball as detailed as the view draws it from the same camera.
        const torvane::typFrame& at = o.WorldFromShape;
        ballLevels_.push_back(
            primora::AxisBallLevel(primora::kAxisBallRadius *
                                   torvane::PixelsPerUnitAt(view, {at(0, 3), at(1, 3), at(2, 3)})));
        PlaceLines(at);
    }
    for (std::size_t level = 0; level < balls_.size(); ++level)
        primora::EmitBall(primora::kAxisBallRadius, primora::kAxisBallDetails[level].slices,
                          primora::kAxisBallDetails[level].stacks, balls_[level]);
    camera_ = room.PartData().Camera;
}

std::size_t MinimalProgram::Triangles() const {
    std::size_t n = 0;
    for (std::size_t i = 0; i < occurrences_.size(); ++i)
        n += (meshes_.at(Key(occurrences_[i])).corners.size() + Ball(i).corners.size()) / 3;
    return n;
}

void MinimalProgram::Frame(const std::function<void()>& swap, bool markers) const {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    gluLookAt(camera_.CameraX, camera_.CameraY, camera_.CameraZ, camera_.LookAtX, camera_.LookAtY,
              camera_.LookAtZ, 0, 0, 1);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    for (const torvane::typPlacedOccurrence& o : occurrences_) {
        At(o);
        glColor3d(o.Color(1) / 100, o.Color(2) / 100, o.Color(3) / 100);
        Draw(meshes_.at(Key(o)));
        glPopMatrix();
    }
    // The markers after everything else: the lines in one draw, then the balls with their back
    // halves culled: the ball is closed, so that half never shows, and one change of state
    // serves them all.
    if (markers) {
        Lines();
        glEnable(GL_CULL_FACE);
        glColor3f(0.8f, 0.8f, 0.8f);
        for (std::size_t i = 0; i < occurrences_.size(); ++i) {
            At(occurrences_[i]);
            Draw(Ball(i));
            glPopMatrix();
        }
        glDisable(GL_CULL_FACE);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glPopMatrix();
    glFinish();
    swap();
}

// Pushes the matrix and moves to o's frame.
void MinimalProgram::At(const torvane::typPlacedOccurrence& o) {
    glPushMatrix();
    std::array<double, 16> columns{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            columns[static_cast<std::size_t>(c * 4 + r)] = o.WorldFromShape(r, c);
    glMultMatrixd(columns.data());
}

const ArraySink& MinimalProgram::Ball(std::size_t occurrence) const {
    return balls_[static_cast<std::size_t>(ballLevels_[occurrence])];
}

std::string MinimalProgram::Key(const torvane::typPlacedOccurrence& o) {
    return o.ShapeName + " " + std::to_string(o.Size(1)) + " " + std::to_string(o.Size(2)) + " " +
           std::to_string(o.Size(3));
}

void MinimalProgram::Mesh(const torvane::typPlacedOccurrence& o) {
    const std::string key = Key(o);
    if (meshes_.count(key)) return;
    primora::EmitShapeSurface(
        o.ShapeName, primora::DoubleArray(1, {o.Size(1), o.Size(2), o.Size(3)}), meshes_[key]);
}

void MinimalProgram::Draw(const ArraySink& mesh) {
    glVertexPointer(3, GL_FLOAT, sizeof(ArraySink::Corner), mesh.corners.data()->at.data());
    glNormalPointer(GL_FLOAT, sizeof(ArraySink::Corner), mesh.corners.data()->normal.data());
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(mesh.corners.size()));
}

// A marker's three unit lines at frame at: their ends, colours and normal (its Z axis).
void MinimalProgram::PlaceLines(const torvane::typFrame& at) {
    for (int axis = 0; axis < 3; ++axis)
        for (int end = 0; end < 2; ++end) {
            LineEnd e;
            for (int r = 0; r < 3; ++r) {
                const auto i = static_cast<std::size_t>(r);
                e.at[i] = static_cast<float>(at(r, 3) + (end ? at(r, axis) : 0));
                e.color[i] = static_cast<float>(r == axis);
                e.normal[i] = static_cast<float>(at(r, 2));
            }
            lines_.push_back(e);
        }
}

void MinimalProgram::Lines() const {
    constexpr GLsizei kStride = sizeof(LineEnd);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, kStride, lines_.data()->at.data());
    glColorPointer(3, GL_FLOAT, kStride, lines_.data()->color.data());
    glNormalPointer(GL_FLOAT, kStride, lines_.data()->normal.data());
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(lines_.size()));
    glDisableClientState(GL_COLOR_ARRAY);
}

void ReportMedians(benchmark::State& state, double goalMs, const std::vector<double>& times,
                   const std::vector<double>& limits) {
    const double t = MedianOf(times), l = MedianOf(limits);
    state.counters["median_ms"] = t * 1e3;
    state.counters["limit_median_ms"] = l * 1e3;
    state.counters["ratio_to_limit"] = l > 0 ? t / l : 0;
    state.counters["goal_ms"] = goalMs;
}

void Report(benchmark::State& state, double goalMs, const std::function<double()>& step,
            const std::function<double()>& limit) {
    std::vector<double> times, limits;
    for (auto _ : state) {
        times.push_back(step());
        limits.push_back(limit());
    }
    ReportMedians(state, goalMs, times, limits);
}

}  // namespace mechanon::bench
