#pragma once
// A mesh's triangles to a triangle sink and to GL.

#include "meshio/Mesh.h"
#include "shapes/ShapeRegistry.h"

namespace primora {

class MeshSlot;

// The triangles stretched by the sizes, each with the normal its corners wind to.
void EmitMeshSurface(const meshio::Mesh& mesh, const ShapeSize& size, TriangleSink& sink);

// The slot's mesh at the current transform stretched by the sizes, through its shared list
// when the context has mesh lists, else in place; a mesh that cannot be read as a small box in
// the current colour. The current colour, the enables and the matrix are as before afterwards.
void DrawMeshInPlace(MeshSlot& slot, const ShapeSize& size);

}  // namespace primora
