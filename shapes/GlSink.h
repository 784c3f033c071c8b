#pragma once
// Sends a shape's surface to the current GL context as immediate-mode primitives: as it comes,
// at the current model-view transform, or placed into a frame given to it, each vertex and
// normal moved here so no matrix changes between one shape and the next.

#include <array>

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

}  // namespace primora
