#pragma once
// Sends a shape's surface to the current GL context as immediate-mode primitives: as it comes,
// at the current model-view transform, or placed into a frame given to it, each vertex and
// normal moved here so no matrix changes between one shape and the next.

#include <array>
#include <vector>

#include "shapes/TriangleSink.h"

namespace primora {

// A rigid frame (turns and shifts only) as a column-major 4 x 4 matrix, as glMultMatrixd takes
// it.
using Placement = std::array<double, 16>;

class PRIMORA_API GlSink final : public TriangleSink {
  public:
    GlSink() = default;
    // Every vertex placed by at, every normal turned by its rotation; at must outlive the sink.
    explicit GlSink(const Placement* at) : at_(at) {}

    void Begin(PrimitiveMode mode) override;
    void Normal(double x, double y, double z) override;
    void Vertex(double x, double y, double z) override;
    void End() override;

  private:
    const Placement* at_ = nullptr;
};

// Sends a placed shape's surface as separate triangles, every corner carrying the shape's colour
// and its normal: a display list joins the triangles of consecutive shapes into one batch, so a
// robot of thousands of parts is drawn in a few batches instead of one or more a part. The
// picture is the one GlSink draws with that colour current.
class PRIMORA_API GlTriangleSink final : public TriangleSink {
  public:
    // at and colour (red, green, blue from 0 to 1) must outlive the sink.
    GlTriangleSink(const Placement& at, const std::array<float, 3>& colour)
        : at_(at), colour_(colour) {}

    void Begin(PrimitiveMode mode) override;
    void Normal(double x, double y, double z) override;
    void Vertex(double x, double y, double z) override;
    void End() override;

  private:
    struct Corner {
        std::array<double, 3> at;
        std::array<double, 3> normal;
    };
    void Emit(const Corner& corner) const;

    const Placement& at_;
    const std::array<float, 3>& colour_;
    PrimitiveMode mode_ = PrimitiveMode::Triangles;
    std::array<double, 3> normal_{0, 0, 1};
    std::vector<Corner> corners_;
};

}  // namespace primora
