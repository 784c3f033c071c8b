#include "render/WorldGroups.h"

#include <exception>

#include "model/clsPartRoom.h"
#include "model/clsSubPart.h"
#include "render/GlMatrixAt.h"
#include "render/WalkSteps.h"

namespace torvane {
namespace {

// Compiles into a display list for as long as it lives, also when the drawing fails half way.
class ListCompiling {
  public:
    explicit ListCompiling(GLuint list) { glNewList(list, GL_COMPILE); }
    ~ListCompiling() { glEndList(); }
    ListCompiling(const ListCompiling&) = delete;
    ListCompiling& operator=(const ListCompiling&) = delete;
};

bool IsIdentity(const typFrame& frame) {
    return frame.M == typFrame{}.M;
}

// A recorded part drawn as the single list's walk draws it in place.
void Replay(typRecordedShape& s) {
    if (s.Marker) {
        const MatrixAt there(s.At);
        s.Shapes->DrawAxes(1, 1, 1, s.PixelsPerUnit);
        return;
    }
    if (s.Shapes->PlacesShapes())
        return s.Shapes->SelectShapeAt(s.At, s.Size, s.ShapeName, s.Color, s.PartName,
                                       s.SubPartName);
    const MatrixAt there(s.At);
    s.Shapes->SelectShape(s.Size, s.ShapeName, s.Color, s.PartName, s.SubPartName);
}

// The root of a walk, with the room's selection marked for highlighting when asked.
void MarkSelection(clsPartRoom& room, clsSubPart& root) {
    root.IsRoot = true;
    const std::vector<std::int32_t> selected = room.SelectedPath();
    root.ActiveSubPart = room.ActiveSubIndex;
    if (selected.size() > 1) root.SelectedBelow.assign(selected.begin() + 1, selected.end());
    if (room.SubParts.Count() > 0 && room.ActiveSubIndex == 0) root.IsActive = true;
}

void Walk(clsPartRoom& room, clsSubPart& root, GroupingVisitor& visitor) {
    typMotorMasks masks = room.MotorMasks();
    masks.CountMasks = 1;
    room.CalculateForwardKinematics(root, masks, visitor);
}

}  // namespace

void WorldGroups::Compile(clsPartRoom* room, bool highlightSelection, const typScreenScale& scale,
                          JointPoses* drawn, GLuint exact, GLuint quick) {
    Release();
    std::exception_ptr failure;
    if (room) {
        clsSubPart root;
        if (highlightSelection) MarkSelection(*room, root);
        GroupingVisitor walk(scale, true, drawn);
        try {
            Walk(*room, root, walk);
        } catch (...) {
            failure = std::current_exception();  // what was placed up to then is still drawn
        }
        groups_ = std::move(walk.Groups());
        room_ = room;
        shapes_ = walk.ShapesPassed();
    }
    ReserveLists();
    try {
        for (std::size_t g = 0; g < groups_.size(); ++g) {
            CompileShapes(g);
            CompileLines(g);
        }
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    CompileBalls(scale);
    WriteWorldLists(exact, quick);
    if (failure) std::rethrow_exception(failure);
}

bool WorldGroups::Place(clsPartRoom* room, const typScreenScale& scale, JointPoses* drawn,
                        GLuint exact, GLuint quick) {
    if (!room || room != room_ || groups_.empty()) return false;
    clsSubPart root;
    GroupingVisitor walk(scale, false, drawn);
    Walk(*room, root, walk);
    const std::vector<typRigidGroup>& now = walk.Groups();
    if (now.size() != groups_.size() || walk.ShapesPassed() != shapes_) return false;
    for (std::size_t g = 0; g < now.size(); ++g)
        if (now[g].OpenedAtShape != groups_[g].OpenedAtShape) return false;
    for (std::size_t g = 0; g < now.size(); ++g) groups_[g].WorldFromGroup = now[g].WorldFromGroup;
    CompileBalls(scale);
    WriteWorldLists(exact, quick);
    return true;
}

void WorldGroups::ReserveLists() {
    lists_.assign(groups_.size(), {});
    if (groups_.empty()) return;
    listCount_ = static_cast<GLsizei>(groups_.size() * 3);
    firstList_ = glGenLists(listCount_);
    if (firstList_ == 0) {  // no names left: the groups draw nothing rather than over others
        listCount_ = 0;
        return;
    }
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        const auto first = firstList_ + static_cast<GLuint>(g * 3);
        lists_[g] = {first, first + 1, first + 2};
    }
}

void WorldGroups::CompileShapes(std::size_t group) {
    if (lists_[group].shapes == 0) return;
    const ListCompiling compiling(lists_[group].shapes);
    for (typRecordedShape& shape : groups_[group].Shapes) Replay(shape);
}

void WorldGroups::CompileLines(std::size_t group) {
    if (lists_[group].lines == 0) return;
    const ListCompiling compiling(lists_[group].lines);
    for (const auto& [shapes, places] : groups_[group].Markers)
        shapes->DrawAxisMarkers(places, IShapes::MarkerParts::Lines);
}

void WorldGroups::CompileBalls(const typScreenScale& scale) {
    worldMarkers_.assign(groups_.size(), {});
    for (std::size_t g = 0; g < groups_.size(); ++g) CompileBalls(g, scale);
}

// Each ball as detailed as it appears where its group stands now.
void WorldGroups::CompileBalls(std::size_t group, const typScreenScale& scale) {
    const typRigidGroup& g = groups_[group];
    std::vector<MarkerBatch> sized = g.Markers;
    std::vector<MarkerBatch>& world = worldMarkers_[group];
    world = g.Markers;
    const bool moved = !IsIdentity(g.WorldFromGroup);
    for (std::size_t b = 0; b < sized.size(); ++b)
        for (std::size_t m = 0; m < sized[b].second.size(); ++m) {
            typAxisMarkerPlace& place = world[b].second[m];
            if (moved) {
                typFrame local;
                for (int c = 0; c < 4; ++c)
                    for (int r = 0; r < 4; ++r)
                        local(r, c) = place.Columns[static_cast<std::size_t>(c * 4 + r)];
                place.Columns = ColumnsOf(g.WorldFromGroup * local);
            }
            place.PixelsPerUnit = PixelsPerUnitAt(
                scale, typ3Point{place.Columns[12], place.Columns[13], place.Columns[14]});
            sized[b].second[m].PixelsPerUnit = place.PixelsPerUnit;
        }
    if (lists_[group].balls == 0) return;
    const ListCompiling compiling(lists_[group].balls);
    for (const auto& [shapes, places] : sized)
        shapes->DrawAxisMarkers(places, IShapes::MarkerParts::Balls);
}

void WorldGroups::WriteWorldLists(GLuint exact, GLuint quick) const {
    const auto placed = [this](std::size_t g, GLuint list, bool any) {
        if (!any || list == 0) return;
        if (IsIdentity(groups_[g].WorldFromGroup)) return glCallList(list);
        const MatrixAt there(ColumnsOf(groups_[g].WorldFromGroup));
        glCallList(list);
    };
    const auto write = [&](GLuint name, bool balls) {
        const ListCompiling compiling(name);
        for (std::size_t g = 0; g < groups_.size(); ++g)
            placed(g, lists_[g].shapes, !groups_[g].Shapes.empty());
        for (std::size_t g = 0; g < groups_.size(); ++g)
            placed(g, lists_[g].lines, !groups_[g].Markers.empty());
        if (!balls) return;
        for (std::size_t g = 0; g < groups_.size(); ++g)
            placed(g, lists_[g].balls, !groups_[g].Markers.empty());
    };
    write(exact, true);
    if (quick != 0) write(quick, false);
}

void WorldGroups::DrawBallSprites(const typ3Point& eye) const {
    for (const auto& group : worldMarkers_)
        for (const auto& [shapes, places] : group)
            shapes->DrawAxisBallSprites(places, {eye.X, eye.Y, eye.Z});
}

void WorldGroups::Release() {
    if (listCount_ > 0) glDeleteLists(firstList_, listCount_);
    Abandon();
}

void WorldGroups::Abandon() noexcept {
    groups_.clear();
    room_ = nullptr;
    shapes_ = 0;
    lists_.clear();
    worldMarkers_.clear();
    firstList_ = 0;
    listCount_ = 0;
}

}  // namespace torvane
