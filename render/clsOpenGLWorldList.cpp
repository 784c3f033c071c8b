// Compiling the world display list: the placement walk of the active room recorded into the list.

#include <GL/gl.h>

#include <cmath>
#include <numbers>

#include "model/clsPartRoom.h"
#include "model/clsSubPart.h"
#include "render/GlPlacementVisitor.h"
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

typScreenScale clsOpenGL::ScreenScale() const {
    return ScaleFor(camera_, viewportHeight_);
}

typScreenScale clsOpenGL::ScaleFor(const typCamera& camera, std::int32_t viewportHeight) const {
    typScreenScale view;
    view.Eye = {camera.CameraX, camera.CameraY, camera.CameraZ};
    const typ3Point line{camera.LookAtX - camera.CameraX, camera.LookAtY - camera.CameraY,
                         camera.LookAtZ - camera.CameraZ};
    const double length = std::sqrt(line.X * line.X + line.Y * line.Y + line.Z * line.Z);
    // An eye on its look-at point sees in no direction: no marker gets a size, all are finest.
    if (!(length > 0) || viewportHeight <= 0) return view;
    view.Forward = {line.X / length, line.Y / length, line.Z / length};
    view.NearClip = nearClip_;
    view.PixelsAtUnitDepth =
        viewportHeight / 2.0 / std::tan(fieldOfView_ / 2 * std::numbers::pi / 180);
    return view;
}

void clsOpenGL::CompileWorldList(clsPartRoom* room, bool highlightSelection, JointPoses* drawn) {
    if (surface_) surface_->MakeCurrentForCompiling();
    ++compilations_;  // also when the walk fails: the list holds part of it then
    ++worldCompilations_;
    groupsCompilation_ = compilations_;
    try {
        groups_.Compile(room, highlightSelection, ScreenScale(), drawn,
                        static_cast<GLuint>(worldList_), static_cast<GLuint>(quickList_));
    } catch (...) {
        if (listCompiled_) listCompiled_();  // what the lists call, as far as they got
        throw;
    }
    if (listCompiled_) listCompiled_();
}

bool clsOpenGL::PlaceWorldList(clsPartRoom* room, JointPoses* drawn) {
    if (!GroupsCurrent()) return false;
    if (surface_) surface_->MakeCurrentForCompiling();
    if (!groups_.Place(room, ScreenScale(), drawn, static_cast<GLuint>(worldList_),
                       static_cast<GLuint>(quickList_)))
        return false;
    groupsCompilation_ = ++compilations_;
    return true;
}

bool clsOpenGL::SizeMarkersToCamera() {
    if (!GroupsCurrent()) return false;
    if (surface_) surface_->MakeCurrentForCompiling();
    groups_.CompileBalls(ScreenScale());
    groupsCompilation_ = ++compilations_;
    return true;
}

void clsOpenGL::CompileInto(std::int32_t list, clsPartRoom* room, bool highlightSelection,
                            const typScreenScale& scale, JointPoses* drawn) {
    try {
        CompileWalk(list, room, highlightSelection, scale, drawn);
    } catch (...) {
        if (listCompiled_) listCompiled_();  // what the list calls, as far as it got
        throw;
    }
    if (listCompiled_) listCompiled_();
}

void clsOpenGL::CompileWalk(std::int32_t list, clsPartRoom* room, bool highlightSelection,
                            const typScreenScale& scale, JointPoses* drawn) {
    clsSubPart root;
    const ListCompilation compiling(static_cast<GLuint>(list));
    if (!room) return;  // nothing to draw: an empty world
    if (highlightSelection) {
        root.IsRoot = true;
        const std::vector<std::int32_t> selected = room->SelectedPath();
        root.ActiveSubPart = room->ActiveSubIndex;
        if (selected.size() > 1) root.SelectedBelow.assign(selected.begin() + 1, selected.end());
        if (room->SubParts.Count() > 0 && room->ActiveSubIndex == 0) root.IsActive = true;
    }
    typMotorMasks masks = room->MotorMasks();
    masks.CountMasks = 1;
    GlPlacementVisitor drawing(scale, drawn);
    try {
        room->CalculateForwardKinematics(root, masks, drawing);
    } catch (...) {
        drawing.DrawMarkersLast();  // the markers placed before the fault, as the rest of them
        throw;
    }
    drawing.DrawMarkersLast();
}

}  // namespace torvane
