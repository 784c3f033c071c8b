// The document commands of the main window: new, open, save, and remaking the snapshots.

#include <filesystem>

#include "app/DesktopBasics.h"
#include "app/DocumentState.h"
#include "app/MDIForm1.h"
#include "app/ProgramName.h"
#include "app/RobotMeshes.h"
#include "app/ShapesAdapter.h"
#include "app/clsBots.h"
#include "app/editing/ReportErrors.h"
#include "app/editing/frmPartsBar.h"
#include "app/undo/DocumentHistory.h"
#include "model/Error.h"
#include "model/clsRooms.h"
#include "platform/UserInterface.h"
#include "shapes/MeshShape.h"

namespace mechanon {
namespace {

constexpr const char* kRobotFilter = "Bots files (*.Bots)|*.bot|";

// The question about unsaved work, naming the robot's file and what comes next.
std::string SaveQuestion(const std::string& path, const std::string& before) {
    const std::string name = path.empty()
                                 ? std::string("the new robot")
                                 : "\"" + std::filesystem::path(path).filename().string() + "\"";
    return "Do you want to save your changes to " + name + " before " + before +
           "?\n\nYes saves them, No discards them, Cancel keeps the robot open.";
}

}  // namespace

void MDIForm1::ShowNewDocument() {
    RegenerateSnapShots();
    auto& rooms = bots_.PartRooms();
    rooms.SetPartRoomIndex(1);
    rooms.ActivePartRoom->ActiveSubIndex = 0;
    bots_.Changes().Announce({ChangeKind::Robot});
}

void MDIForm1::NewRobot() {
    if (!MayReplaceDocument("starting a new robot")) return;
    auto rooms = std::make_shared<torvane::clsRooms>();
    rooms->Shapes = NewShapes();
    // The display switches belong to the view, not to the robot: the new shapes object
    // draws as the menu's check marks say.
    rooms->Shapes->SetShowAxis(MenuItem("mnuShowAxis")->isChecked());
    rooms->Shapes->SetShowGrids(MenuItem("mnuShowGrids")->isChecked());
    std::string name = "Part 1";
    rooms->CreatePartRoom(name, true);
    bots_.SetPartRooms(rooms);
    // From here on the document is the new robot: should a refresh fail, Save must not write
    // it over the file of the robot it replaced. Meshes chosen for it are named by absolute
    // paths until it is saved.
    currentPath_.clear();
    primora::SetMeshFolder({});

    ShowNewDocument();
    MarkDocumentClean();
    SetDocumentPath({});
    ReportInStatusBar(*this, "A new robot was started.");
}

bool MDIForm1::MayReplaceDocument(const std::string& before) {
    if (!DocumentModified()) return true;
    switch (torvane::Host().MsgBox(SaveQuestion(currentPath_, before),
                                   torvane::MsgButtons::YesNoCancel)) {
        case torvane::MsgAnswer::No:
            return true;
        case torvane::MsgAnswer::Yes:
            break;
        default:
            return false;
    }
    try {
        return Save(false);
    } catch (const std::exception& e) {
        // The work stays open: nothing is replaced or closed after a failed save.
        torvane::Host().MsgBox(std::string("Your work could not be saved.\n\n") + e.what(),
                               torvane::MsgButtons::OK);
        ReportInStatusBar(*this, "Not saved; the robot stays open.");
        return false;
    }
}

void MDIForm1::OpenRobot() {
    if (!MayReplaceDocument("opening another robot")) return;
    std::string path = currentPath_;
    bots_.MI().GetPathFromUser(path, false, kRobotFilter);
    if (path.empty()) return;
    OpenRobotFile(path);
}

void MDIForm1::OpenRecent(const std::string& path) {
    RunReportingErrors([&] {
        if (MayReplaceDocument("opening another robot")) OpenRobotFile(path);
    });
    document_->Refresh();
}

void MDIForm1::OpenRobotFile(const std::string& path) {
    try {
        // A failed load leaves the document as it was.
        bots_.PartRooms().Load(path);
    } catch (const std::exception& e) {
        torvane::Host().MsgBox("The robot file \"" + path + "\" cannot be read.\n\n" + e.what(),
                               torvane::MsgButtons::OK);
        ReportInStatusBar(*this, "Could not open " + QString::fromStdString(path));
        return;
    }
    // The robot's meshes are named relative to its file.
    primora::SetMeshFolder(std::filesystem::absolute(path).parent_path());
    // The changes made before belong to the robot that was replaced.
    bots_.History().Clear();
    // The document now is the file's robot: Save writes to this file even if a window fails
    // to show it (a room that cannot be drawn); room 1 is the active one before any is shown.
    currentPath_ = path;
    try {
        ShowNewDocument();
    } catch (...) {
        MarkDocumentClean();
        SetDocumentPath(path);
        throw;
    }
    MarkDocumentClean();
    SetDocumentPath(path);
    RememberRecentFile(QString::fromStdString(path));
    ReportInStatusBar(*this, "Opened " + QString::fromStdString(path));
    // The robot is open whatever its meshes: what cannot be shown is said once, all together.
    if (const auto problems = UnreadableMeshes(bots_.PartRooms()); !problems.empty())
        torvane::Host().MsgBox(UnreadableMeshesMessage(problems), torvane::MsgButtons::OK);
}

bool MDIForm1::Save(bool SaveAs) {
    std::string path = SaveAs ? std::string() : currentPath_;
    if (path.empty()) {
        bots_.MI().GetPathFromUser(path, true, kRobotFilter);
        if (path.empty()) return false;
    }
    // Mesh files outside the new file's folder go along with it; the names follow only when the
    // robot was written.
    const std::filesystem::path fromFolder =
        currentPath_.empty() ? std::filesystem::path()
                             : std::filesystem::absolute(currentPath_).parent_path();
    MeshNamesForSave meshes(bots_.PartRooms(), fromFolder, std::filesystem::absolute(path));
    bots_.PartRooms().Save(path);
    meshes.Keep();
    primora::SetMeshFolder(std::filesystem::absolute(path).parent_path());
    MarkDocumentClean();
    SetDocumentPath(path);
    RememberRecentFile(QString::fromStdString(path));
    ReportInStatusBar(*this, "Saved " + QString::fromStdString(path));
    return true;
}

void MDIForm1::RegenerateSnapShots() {
    setWindowTitle("Regenerating Snapshots, please wait...");
    QScrollBar& bar = *partsBar_->HScroll1;
    if (bar.isEnabled()) bar.setValue(0);
    auto& rooms = bots_.PartRooms();
    for (int i = 1; i <= rooms.TotalRooms; ++i) rooms.Rooms(i)->ActiveSubIndex = 0;
    // The last room stays active, as when each room was shown in turn; Open makes room 1 active.
    if (rooms.TotalRooms > 0) rooms.SetPartRoomIndex(rooms.TotalRooms);
    // The pictures are drawn off screen from the next pass of the event loop on, after the
    // caller has shown the view: a big robot is on screen at once and its thumbnails fill in.
    bots_.FillSnapShots();
    setWindowTitle(kProgramName);
}

}  // namespace mechanon
