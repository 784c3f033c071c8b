// The part editor's "Mesh..." entry: a mesh file chosen in a dialog becomes the part's shape.

#include <QComboBox>
#include <filesystem>

#include "app/clsBots.h"
#include "app/editing/frmEditBot.h"
#include "model/Codepage.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "platform/UserInterface.h"
#include "shapes/MeshShape.h"

namespace mechanon {

void frmEditBot::ChooseMesh() {
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room) return;
    const std::string before = room->PartData().ShapeName;
    // The list shows the entry chosen, not a shape, until a file is taken.
    cmbShape->setCurrentText(QString::fromStdString(before));
    const std::string initial = primora::IsMeshShapeName(before)
                                    ? primora::MeshFileOfShape(before).string()
                                    : primora::MeshFolder().string();
    const std::string file = torvane::Host().FileDialog(false, initial, kMeshFilter);
    if (file.empty()) return;
    const std::string name = primora::MeshShapeNameFor(file);
    // The robot file holds names in its single-byte code page.
    if (torvane::CodepageToUtf8(torvane::Utf8ToCodepage(name)) != name) {
        torvane::Host().MsgBox("The mesh file \"" + file +
                                   "\" cannot be used: its path has characters a robot file "
                                   "cannot hold. Move or rename it and choose it again.",
                               torvane::MsgButtons::OK);
        return;
    }
    primora::RetryUnreadableMeshes();  // the file may have been mended since it was last tried
    if (const auto problem = primora::MeshShapeProblem(name)) {
        torvane::Host().MsgBox("The mesh file cannot be used.\n\n" + *problem,
                               torvane::MsgButtons::OK);
        return;
    }
    cmbShape->setCurrentText(QString::fromStdString(name));
    UpdateBot();
}

}  // namespace mechanon
