// Compiling the world display list: the placement walk of the active room recorded into the list.

#include <GL/gl.h>

#include "model/clsPartRoom.h"
#include "model/clsSubPart.h"
#include "render/clsOpenGL.h"

namespace torvane {
namespace {

// Compiles into a display list and keeps the model-view stack balanced even when the walk
// fails half way, so a failed drawing leaves the GL state as it found it.
class ListCompilation {
  public:
    explicit ListCompilation(GLuint list) {
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glNewList(list, GL_COMPILE);
    }
    ~ListCompilation() {
        glEndList();
        glPopMatrix();
    }
    ListCompilation(const ListCompilation&) = delete;
    ListCompilation& operator=(const ListCompilation&) = delete;
};

}  // namespace

void clsOpenGL::CompileWorldList(clsPartRoom* room, bool highlightSelection) {
    if (surface_) surface_->MakeCurrentForCompiling();
    clsSubPart root;
    const ListCompilation compiling(static_cast<GLuint>(worldList_));
    if (!room) return;  // nothing to draw: an empty world
    if (highlightSelection) {
        root.IsRoot = true;
        root.ActiveSubPart = room->ActiveSubIndex;
        if (room->SubParts.Count() > 0 && room->ActiveSubIndex == 0) root.IsActive = true;
    }
    typMotorMasks masks = room->MotorMasks();
    masks.CountMasks = 1;
    room->CalculateForwardKinematics(root, masks);
}

}  // namespace torvane
