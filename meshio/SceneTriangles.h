#pragma once
// The triangles of a scene the importer has read, with its node transforms already applied.

#include <string>

#include "meshio/Mesh.h"

struct aiScene;

namespace meshio {

// Every triangle of every mesh of scene, turned from Y up to Z up when yUp (the importer gives
// Collada files Y up whatever they said), with the colours of the file's own materials or
// vertices when it has any. MeshError naming name for a scene without triangles, with more
// than kMaxTriangles, or with a coordinate that is not a finite number.
Mesh SceneTriangles(const aiScene& scene, bool yUp, const std::string& name);

}  // namespace meshio
