#pragma once
// Passes a surface on to another sink stretched by a factor per axis: vertices scaled, normals
// turned as the stretched surface's normals turn (by the cofactors of the scaling, which keeps
// them defined for a flattening factor, with their sign kept outward for a mirroring one), then
// made unit length.

#include "shapes/TriangleSink.h"

namespace primora {

class ScaledSink final : public TriangleSink {
  public:
    ScaledSink(TriangleSink& target, double sx, double sy, double sz)
        : target_(target), sx_(sx), sy_(sy), sz_(sz) {}

    void Begin(PrimitiveMode mode) override { target_.Begin(mode); }
    void Normal(double x, double y, double z) override;
    void Vertex(double x, double y, double z) override {
        target_.Vertex(x * sx_, y * sy_, z * sz_);
    }
    void End() override { target_.End(); }

  private:
    TriangleSink& target_;
    double sx_, sy_, sz_;
};

}  // namespace primora
