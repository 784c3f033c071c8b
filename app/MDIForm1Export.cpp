// File > Export: the active room as URDF with its meshes, as one STL, and the 3D view as a PNG.
// The room is placed at the motor positions the view shows; every file is written completely or
// not at all, and a failure is said in a message box with nothing changed.

#include <QImage>
#include <QSaveFile>
#include <filesystem>

#include "app/DesktopBasics.h"
#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "export/MeshCheck.h"
#include "export/PosedRoom.h"
#include "export/RobotExport.h"
#include "model/JointPoses.h"
#include "model/clsMiscInterface.h"
#include "model/clsRooms.h"
#include "platform/UserInterface.h"
#include "render/clsOpenGL.h"

namespace mechanon {
namespace {

constexpr const char* kUrdfFilter = "URDF files (*.urdf)|*.urdf|";
constexpr const char* kStlFilter = "STL files (*.stl)|*.stl|";
constexpr const char* kPictureFilter = "PNG pictures (*.png)|*.png|";

// The positions the view draws the room at: its motor mask table's values in table order.
std::vector<double> ShownPositions(const torvane::clsPartRoom& room) {
    std::vector<double> positions;
    const torvane::typMotorMasks masks = room.MotorMasks();
    for (std::int32_t k = 1; k <= masks.TotalMasks && masks.Masks.IsAllocated(); ++k)
        positions.push_back(k <= masks.Masks.UBound() ? masks.Masks(k).Value : 0);
    return positions;
}

// The room placed as the view shows it; the joint poses it sets are stored as a drawing of the
// view stores them.
std::vector<torvane::typPlacedOccurrence> PlacedAsShown(torvane::clsPartRoom& room) {
    std::vector<torvane::typPlacedOccurrence> placed;
    torvane::JointPoses::StoreSetBy([&](torvane::JointPoses& poses) {
        placed = PlaceRoom(room, ShownPositions(room), &poses);
    });
    return placed;
}

void ReportFailure(const std::string& what, const std::string& path, const std::exception& e) {
    torvane::Host().MsgBox("The " + what + " cannot be exported to \"" + path + "\".\n\n" +
                               e.what() + "\n\nNothing was written.",
                           torvane::MsgButtons::OK);
}

// The path the user picks for an export named after the active room, beside the robot file.
std::string AskExportPath(const torvane::clsMiscInterface& mi, const std::string& document,
                          const std::string& roomName, const char* extension, const char* filter) {
    std::filesystem::path proposed =
        std::filesystem::path(document).parent_path() / (SafeName(roomName) + extension);
    std::string path = proposed.string();
    mi.GetPathFromUser(path, true, filter);
    return path;
}

}  // namespace

void MDIForm1::ExportUrdf() {
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room) return;
    const std::string path =
        AskExportPath(bots_.MI(), currentPath_, room->Name(), ".urdf", kUrdfFilter);
    if (path.empty()) return;
    try {
        const auto placed = PlacedAsShown(*room);
        RequireReadableMeshes(placed);
        WriteUrdf(BuildUrdfRobot(placed, room->Name(), 1), path);
        ReportInStatusBar(*this, "Exported " + QString::fromStdString(path));
    } catch (const std::exception& e) {
        ReportFailure("robot", path, e);
        ReportInStatusBar(*this, "Not exported: " + QString::fromStdString(path));
    }
}

void MDIForm1::ExportStl() {
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room) return;
    const std::string path =
        AskExportPath(bots_.MI(), currentPath_, room->Name(), ".stl", kStlFilter);
    if (path.empty()) return;
    try {
        const auto placed = PlacedAsShown(*room);
        RequireReadableMeshes(placed);
        WriteStl(WorldTriangles(placed, 1), path);
        ReportInStatusBar(*this, "Exported " + QString::fromStdString(path));
    } catch (const std::exception& e) {
        ReportFailure("robot", path, e);
        ReportInStatusBar(*this, "Not exported: " + QString::fromStdString(path));
    }
}

void MDIForm1::ExportPicture() {
    const auto room = bots_.PartRooms().ActivePartRoom;
    const std::string path = AskExportPath(bots_.MI(), currentPath_, room ? room->Name() : "robot",
                                           ".png", kPictureFilter);
    if (path.empty()) return;
    const torvane::GlImage shown = bots_.PlainFrame();
    if (shown.Empty()) {
        torvane::Host().MsgBox(
            "The 3D view is not on screen, so there is no picture to export. "
            "Show the 3D view and try again.",
            torvane::MsgButtons::OK);
        return;
    }
    const QImage frame(shown.rgb.data(), shown.width, shown.height, shown.width * 3,
                       QImage::Format_RGB888);
    // QSaveFile writes beside the target and renames only once the whole picture is written.
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || !frame.save(&file, "PNG") || !file.commit()) {
        torvane::Host().MsgBox("The picture cannot be exported to \"" + path + "\".\n\n" +
                                   file.errorString().toStdString() + "\n\nNothing was written.",
                               torvane::MsgButtons::OK);
        ReportInStatusBar(*this, "Not exported: " + QString::fromStdString(path));
        return;
    }
    ReportInStatusBar(*this, "Exported " + QString::fromStdString(path));
}

}  // namespace mechanon
