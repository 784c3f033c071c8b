#pragma once
// Where a catalogue shape sends its surface: the same calls as immediate-mode GL (a primitive
// begins, normals and vertices follow, it ends), so one description of each shape serves the
// screen (GlSink) and the exporters (MeshSink). Coordinates are the shape's own, model units.

#include "shapes/PrimoraApi.h"

namespace primora {

enum class PrimitiveMode { Triangles, Quads, QuadStrip, TriangleFan, Lines };

class PRIMORA_API TriangleSink {
  public:
    virtual ~TriangleSink() = default;
    virtual void Begin(PrimitiveMode mode) = 0;
    // The normal that the following vertices carry, as glNormal sets it.
    virtual void Normal(double x, double y, double z) = 0;
    virtual void Vertex(double x, double y, double z) = 0;
    virtual void End() = 0;
};

}  // namespace primora
