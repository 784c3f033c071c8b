// File > Import URDF...: a robot description read into a new, unsaved document.

#include <QString>
#include <new>
#include <string>
#include <vector>

#include "app/DesktopBasics.h"
#include "app/DocumentState.h"
#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/frmImportUrdf.h"
#include "app/undo/DocumentHistory.h"
#include "export/UrdfImport.h"
#include "model/clsRooms.h"
#include "platform/UserInterface.h"
#include "shapes/MeshShape.h"

namespace mechanon {
namespace {

// The warnings of an import as one message, each on its own line.
std::string WarningsMessage(const std::filesystem::path& file,
                            const std::vector<std::string>& warnings) {
    std::string text = "The robot of \"" + file.filename().string() +
                       "\" was imported, but not everything in it could be used:\n";
    for (const std::string& warning : warnings) text += "\n- " + warning;
    return text;
}

std::int32_t RoomIndex(const torvane::clsRooms& rooms, const std::string& name) {
    for (std::int32_t i = 1; i <= rooms.TotalRooms; ++i)
        if (rooms.Rooms(i)->Name() == name) return i;
    return 1;
}

}  // namespace

void MDIForm1::ImportRobot() {
    if (!MayReplaceDocument("importing a robot")) return;
    frmImportUrdf dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    ImportRobotFile(dialog.UrdfFile(), dialog.Options());
}

void MDIForm1::ImportRobotFile(const std::filesystem::path& file,
                               const UrdfImportOptions& options) {
    UrdfImportResult imported;
    try {
        // Nothing of the document changes until the whole robot has been read and linked.
        imported = ImportUrdf(file, options);
        bots_.PartRooms().ReplaceAllData(imported.Rooms);
    } catch (const std::bad_alloc&) {
        ReportImportFailure(file, "There is not enough memory to hold this robot.");
        return;
    } catch (const std::exception& e) {
        ReportImportFailure(file, e.what());
        return;
    }
    bots_.History().Clear();
    // The imported robot has no file yet: Save asks for one, as for a new robot, and its meshes
    // are named by absolute paths until then.
    currentPath_.clear();
    primora::SetMeshFolder({});
    try {
        ShowImportedRobot(imported.RobotRoom);
    } catch (...) {
        MarkDocumentUnsaved();
        throw;
    }
    MarkDocumentUnsaved();
    ReportInStatusBar(*this, "Imported " + QString::fromStdString(file.string()));
    if (!imported.Warnings.empty())
        torvane::Host().MsgBox(WarningsMessage(file, imported.Warnings), torvane::MsgButtons::OK);
}

void MDIForm1::ShowImportedRobot(const std::string& robotRoom) {
    ShowNewDocument();
    auto& rooms = bots_.PartRooms();
    const std::int32_t index = RoomIndex(rooms, robotRoom);
    if (index != rooms.PartRoomIndex()) {
        rooms.SetPartRoomIndex(index);
        rooms.ActivePartRoom->ActiveSubIndex = 0;
        bots_.Changes().Announce({ChangeKind::Robot});
    }
    try {
        FitToView();
    } catch (const std::exception&) {
        // A robot without a single visual has nothing to fit; the view keeps its camera.
    }
}

void MDIForm1::ReportImportFailure(const std::filesystem::path& file, const std::string& why) {
    torvane::Host().MsgBox("The URDF file \"" + file.string() + "\" cannot be imported.\n\n" + why +
                               "\n\nThe robot you had open is unchanged.",
                           torvane::MsgButtons::OK);
    ReportInStatusBar(*this, "Could not import " + QString::fromStdString(file.string()));
}

void MDIForm1::MarkDocumentUnsaved() {
    bots_.History().MarkClean();
    document_->MarkNeverSaved();
    SetDocumentPath({});
}

}  // namespace mechanon
