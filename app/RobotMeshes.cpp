#include "app/RobotMeshes.h"

#include <algorithm>

#include "export/MeshFolder.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "shapes/MeshShape.h"

namespace mechanon {

std::vector<std::string> UnreadableMeshes(const torvane::clsRooms& rooms) {
    std::vector<std::string> problems;
    for (std::int32_t i = 1; i <= rooms.TotalRooms; ++i) {
        const auto problem = primora::MeshShapeProblem(rooms.Rooms(i)->PartData().ShapeName);
        if (problem && std::find(problems.begin(), problems.end(), *problem) == problems.end())
            problems.push_back(*problem);
    }
    return problems;
}

std::string UnreadableMeshesMessage(const std::vector<std::string>& problems) {
    std::string text =
        "These mesh files cannot be shown; their parts are drawn as small boxes until the files "
        "are in place:\n";
    for (const std::string& problem : problems) text += "\n" + problem;
    return text;
}

MeshNamesForSave::MeshNamesForSave(torvane::clsRooms& rooms,
                                   const std::filesystem::path& fromFolder,
                                   const std::filesystem::path& robotFile)
    : rooms_(rooms), copies_(robotFile) {
    if (rooms.TotalRooms < 1) return;
    torvane::typWrapRooms data = rooms.AllData();
    missing_ = TakeMeshesAlong(data, fromFolder, robotFile).MissingFiles;
    for (std::int32_t i = 1; i <= rooms.TotalRooms; ++i) {
        const auto room = rooms.Rooms(i);
        torvane::typPartData part = room->PartData();
        const std::string& name = data.Rooms(i).Part.ShapeName;
        if (part.ShapeName == name) continue;
        oldNames_.emplace_back(i, part.ShapeName);
        part.ShapeName = name;
        room->SetPartData(part);
    }
}

MeshNamesForSave::~MeshNamesForSave() {
    if (kept_) return;
    try {
        Undo();
    } catch (...) {
        // Out of memory while putting names back: the new names name the same files.
    }
}

void MeshNamesForSave::Undo() {
    for (const auto& [index, name] : oldNames_) {
        const auto room = rooms_.Rooms(index);
        torvane::typPartData part = room->PartData();
        part.ShapeName = name;
        room->SetPartData(part);
    }
    copies_.TakeBack();
}

}  // namespace mechanon
