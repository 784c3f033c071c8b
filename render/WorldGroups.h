#pragma once
// The world the 3D view shows, compiled in rigid groups (GroupingVisitor): each group's shapes,
// marker lines and marker balls are display lists of their own, in the group's frame, and the
// world list only places each group by its frame and calls its lists: every group's shapes, then
// every group's marker lines, then every group's balls, which is the picture of the whole world
// compiled in one list. A change of motor values walks the robot again for the frames alone and
// rewrites the world list's few calls a group; nothing inside a group is compiled again. The
// balls are compiled again alone when their sizes on screen change (the camera settled
// somewhere else, the groups moved), since their detail follows that size.
// Besides the exact list, a quick list places the same shapes and lines without the balls, which
// the view draws while it moves with flat pictures of the balls in their stead.
// Single-threaded: every member runs with the context current; the list names are the
// context's.

#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "model/Records.h"
#include "render/GroupingVisitor.h"

namespace torvane {

class clsPartRoom;

class WorldGroups {
  public:
    WorldGroups() = default;
    ~WorldGroups() = default;  // the lists go with their context, or with Release
    WorldGroups(const WorldGroups&) = delete;
    WorldGroups& operator=(const WorldGroups&) = delete;

    // Compiles room's walk (as clsOpenGL::CompileWorldList describes it) into the groups' lists
    // and writes the world list into exact and the quick one into quick. A walk or a drawing
    // that fails leaves the lists holding what was placed and drawn up to then, and its error
    // reaches the caller.
    void Compile(clsPartRoom* room, bool highlightSelection, const typScreenScale& scale,
                 JointPoses* drawn, GLuint exact, GLuint quick);
    // Walks room for the groups' frames alone and rewrites both world lists with the groups
    // where they stand now, the balls compiled for scale; false, with nothing changed, when
    // the walk's groups are not the ones compiled (the robot changed in another way: compile
    // it). The joint poses the walk sets go to drawn.
    bool Place(clsPartRoom* room, const typScreenScale& scale, JointPoses* drawn, GLuint exact,
               GLuint quick);
    // The balls compiled again as detailed as scale shows them; the world lists call the same
    // lists, so they need no rewriting.
    void CompileBalls(const typScreenScale& scale);
    // The balls' flat pictures facing eye (model coordinates), with the model's frame current.
    void DrawBallSprites(const typ3Point& eye) const;
    bool Empty() const noexcept { return groups_.empty(); }

    // Deletes the lists; the context must be current.
    void Release();
    // Forgets the lists without deleting them, for a context that is gone.
    void Abandon() noexcept;

  private:
    struct Lists {
        GLuint shapes = 0;
        GLuint lines = 0;
        GLuint balls = 0;
    };
    void ReserveLists();
    void CompileShapes(std::size_t group);
    void CompileLines(std::size_t group);
    void CompileBalls(std::size_t group, const typScreenScale& scale);
    void WriteWorldLists(GLuint exact, GLuint quick) const;

    std::vector<typRigidGroup> groups_;
    const clsPartRoom* room_ = nullptr;  // the room compiled, and the shapes its walk passed
    std::size_t shapes_ = 0;
    std::vector<Lists> lists_;
    GLuint firstList_ = 0;  // the groups' lists are one block of names from here
    GLsizei listCount_ = 0;
    // Every group's markers placed in the model's frame, made with the balls' detail.
    std::vector<std::vector<MarkerBatch>> worldMarkers_;
};

}  // namespace torvane
