#pragma once
// Sends a shape's surface to the current GL context as immediate-mode primitives.

#include "shapes/TriangleSink.h"

namespace primora {

class PRIMORA_API GlSink final : public TriangleSink {
  public:
    void Begin(PrimitiveMode mode) override;
    void Normal(double x, double y, double z) override;
    void Vertex(double x, double y, double z) override;
    void End() override;
};

}  // namespace primora
