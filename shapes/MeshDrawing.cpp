#include "shapes/MeshDrawing.h"

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <vector>

#include "shapes/GlSink.h"
#include "shapes/MeshShape.h"
#include "shapes/MeshSlot.h"
#include "shapes/ShapeGeometry.h"

namespace primora {
namespace {

// The context generation the mesh lists belong to; 0 while the current host draws in place.
unsigned listGeneration = 0;
// Slots whose list name was reserved while another list was being compiled.
std::vector<MeshSlot*> pendingLists;

bool Mirrored(const ShapeSize& s) {
    return ((s.X < 0) != (s.Y < 0)) != (s.Z < 0);
}

// The triangles' corners lie one after the other, as a vertex array wants them.
static_assert(sizeof(meshio::Triangle) == 9 * sizeof(float));
static_assert(sizeof(std::array<meshio::Colour, 3>) == 9 * sizeof(float));

// Each triangle's normal as its corners wind, once per corner. GL_NORMALIZE is on while a mesh
// is drawn: the length does not matter.
std::vector<float> FlatNormals(const meshio::Mesh& mesh) {
    std::vector<float> normals;
    normals.reserve(mesh.Triangles.size() * 9);
    for (const meshio::Triangle& t : mesh.Triangles) {
        const auto& [a, b, c] = t.Corners;
        const float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
        const float vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
        const float n[3] = {uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
        for (int k = 0; k < 3; ++k) normals.insert(normals.end(), n, n + 3);
    }
    return normals;
}

// One draw of arrays: into a list being compiled the arrays are copied in one step, which is
// many times quicker than a call per vertex.
void EmitGl(const meshio::Mesh& mesh) {
    const std::vector<float> normals = FlatNormals(mesh);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, mesh.Triangles.data());
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, normals.data());
    if (mesh.Colours.size() == mesh.Triangles.size()) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(3, GL_FLOAT, 0, mesh.Colours.data());
    }
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(mesh.Triangles.size() * 3));
    glPopClientAttrib();
}

bool CompilingList() {
    GLint list = 0;
    glGetIntegerv(GL_LIST_INDEX, &list);
    return list != 0;
}

void CompileList(MeshSlot& slot, const meshio::Mesh& mesh) {
    glNewList(slot.List, GL_COMPILE);
    EmitGl(mesh);
    glEndList();
    slot.ListPending = false;
}

// The mesh through the slot's list, its name reserved on first use in this context; in place
// when the context has no mesh lists.
void DrawThroughList(MeshSlot& slot, const meshio::Mesh& mesh) {
    if (listGeneration == 0) return EmitGl(mesh);
    if (slot.ListGeneration != listGeneration || slot.List == 0) {
        slot.List = glGenLists(1);  // reserved at once, even while a list is being compiled
        if (slot.List == 0) return EmitGl(mesh);
        slot.ListGeneration = listGeneration;
        slot.ListPending = true;
        if (CompilingList()) pendingLists.push_back(&slot);
    }
    if (slot.ListPending && !CompilingList()) CompileList(slot, mesh);
    // Inside a list being compiled this records the call; the list it names is looked up when
    // that list runs, by which time CompilePendingMeshLists has filled it.
    glCallList(slot.List);
}

}  // namespace

void EmitMeshSurface(const meshio::Mesh& mesh, const ShapeSize& s, TriangleSink& sink) {
    const double sign = Mirrored(s) ? -1 : 1;
    sink.Begin(PrimitiveMode::Triangles);
    for (const meshio::Triangle& t : mesh.Triangles) {
        std::array<MeshPoint, 3> c;
        for (std::size_t k = 0; k < 3; ++k)
            c[k] = {t.Corners[k].x * s.X, t.Corners[k].y * s.Y, t.Corners[k].z * s.Z};
        const MeshPoint u{c[1].x - c[0].x, c[1].y - c[0].y, c[1].z - c[0].z};
        const MeshPoint v{c[2].x - c[0].x, c[2].y - c[0].y, c[2].z - c[0].z};
        // The file's winding faces outward; a mirroring size turns it over, the sign back.
        const MeshPoint n{sign * (u.y * v.z - u.z * v.y), sign * (u.z * v.x - u.x * v.z),
                          sign * (u.x * v.y - u.y * v.x)};
        const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (length > 0)
            sink.Normal(n.x / length, n.y / length, n.z / length);
        else
            sink.Normal(0, 0, 1);
        for (const MeshPoint& p : c) sink.Vertex(p.x, p.y, p.z);
    }
    sink.End();
}

void DrawMeshInPlace(MeshSlot& slot, const ShapeSize& s) {
    const auto mesh = slot.Mesh();
    if (!mesh) {
        GlSink sink;
        const double h = kMissingMeshMarker / 2;
        EmitBox(h, h, h, sink);
        return;
    }
    // The mesh's own colours stay inside it; a stretched mesh keeps unit normals.
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT);
    glEnable(GL_NORMALIZE);
    glPushMatrix();
    glScaled(s.X, s.Y, s.Z);
    DrawThroughList(slot, *mesh);
    glPopMatrix();
    glPopAttrib();
}

void CompilePendingMeshLists() {
    if (pendingLists.empty() || CompilingList()) return;
    const std::vector<MeshSlot*> pending = std::move(pendingLists);
    pendingLists.clear();
    for (MeshSlot* slot : pending) {
        if (!slot->ListPending || slot->ListGeneration != listGeneration) continue;
        if (const auto mesh = slot->Mesh()) CompileList(*slot, *mesh);
    }
}

void StartMeshLists() {
    static unsigned lastGeneration = 0;
    listGeneration = ++lastGeneration;
    pendingLists.clear();
}

void StopMeshLists() {
    listGeneration = 0;
    pendingLists.clear();
}

}  // namespace primora
