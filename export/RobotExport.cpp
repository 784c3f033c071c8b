#include "export/RobotExport.h"

#include "export/OutputFiles.h"
#include "export/StlFile.h"

namespace mechanon {

std::vector<MeshTriangle> WorldTriangles(
    const std::vector<torvane::typPlacedOccurrence>& occurrences, double metresPerUnit) {
    std::vector<MeshTriangle> all;
    for (const torvane::typPlacedOccurrence& o : occurrences) {
        const std::vector<MeshTriangle> part =
            ShapeTriangles(o.ShapeName, o.Size, o.WorldFromShape, metresPerUnit);
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

void WriteUrdf(const UrdfRobot& robot, const std::filesystem::path& urdfPath) {
    OutputFiles files;
    const std::filesystem::path meshes = urdfPath.parent_path() / "meshes";
    for (const UrdfLink& link : robot.Links)
        if (!link.Mesh.empty())
            files.Add(meshes / MeshFileName(link), BinaryStl(link.Mesh, "Mechanon " + link.Name));
    files.Add(urdfPath, UrdfText(robot));
    files.Commit();
}

void WriteStl(const std::vector<MeshTriangle>& triangles, const std::filesystem::path& stlPath) {
    OutputFiles files;
    files.Add(stlPath, BinaryStl(triangles, "Mechanon robot"));
    files.Commit();
}

}  // namespace mechanon
