// The URDF importer on any text: it either makes rooms that the robot file can hold and the
// placement walk can place at finite frames, or refuses with torvane::Error. Any other way out
// (another exception, a crash, a sanitizer report) is a fault.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "export/PosedRoom.h"
#include "export/UrdfImport.h"
#include "export/UrdfRobot.h"
#include "model/Error.h"
#include "model/RobotFile.h"
#include "model/clsRooms.h"

namespace {

std::filesystem::path Scratch() {
    return "/tmp/urdf_fuzz." + std::to_string(::getpid()) + ".urdf";
}

void CheckImported(const mechanon::UrdfImportResult& result) {
    torvane::CheckRobotStructure(result.Rooms, "fuzz");
    (void)torvane::EncodeRobot(result.Rooms);
    torvane::clsRooms rooms;
    rooms.ReplaceAllData(result.Rooms);
    const auto room = rooms.GetRoomByName(result.RobotRoom);
    if (!room) std::abort();
    const auto placed = mechanon::PlaceRoom(*room, {});
    const auto robot = mechanon::BuildUrdfRobot(placed, room->Name(), mechanon::kDefaultImportUnit,
                                                mechanon::LinkMeshes::Left);
    for (const mechanon::UrdfLink& link : robot.Links)
        for (const double v : link.WorldFromLink.M)
            if (!std::isfinite(v)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path file = Scratch();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    mechanon::UrdfImportResult result;
    try {
        result = mechanon::ImportUrdf(file, {});
    } catch (const torvane::Error&) {
        return 0;
    }
    CheckImported(result);
    return 0;
}
