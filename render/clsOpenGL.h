#pragma once
// The one GL context of the program: binds it to the 3D view's drawable, holds the projection
// numbers and the camera, compiles the world display list from a part room and shows that list.
// The list is in model coordinates: between displays the model-view matrix is the identity, and
// only the camera transform maps the list to the eye.
// Single-threaded: everything runs on the thread that owns the context.

#include <cstdint>
#include <functional>

#include "model/Records.h"
#include "platform/GlSurface.h"
#include "render/GlPlacementVisitor.h"
#include "render/ReducedFrame.h"
#include "render/ShownFrame.h"
#include "render/WorldGroups.h"

namespace torvane {

class clsPartRoom;

class clsOpenGL {
  public:
    // Runs in Initialize once the context is current and set up, before the world list's name
    // is reserved; the program creates its label glyph lists here so they keep their names.
    using ContextSetup = std::function<void()>;

    clsOpenGL() = default;
    // Leaves no context current and deletes the context (the world list dies with it). The
    // surface given to Initialize must still exist.
    ~clsOpenGL();
    clsOpenGL(const clsOpenGL&) = delete;
    clsOpenGL& operator=(const clsOpenGL&) = delete;

    std::int32_t WORLD_LIST() const noexcept { return worldList_; }
    void SetWORLD_LIST(std::int32_t list) noexcept {
        worldList_ = list;
        ++compilations_;
    }
    typCamera CameraData() const noexcept { return camera_; }
    void SetCameraData(const typCamera& camera) noexcept { camera_ = camera; }

    void SetContextSetup(ContextSetup setup) { contextSetup_ = std::move(setup); }
    // Runs after every list this object compiles (the world list, an off-screen picture), in its
    // context and before the list is shown, also when the walk failed half way: lists that the
    // compiled one calls but that could not be compiled inside it are filled there.
    void SetListCompiled(ContextSetup hook) { listCompiled_ = std::move(hook); }

    // Asks surface for a double-buffered RGBA format with 24 colour and 16 depth bits, creates a
    // context and makes it current, sets the GL state (white clear colour, depth test, lighting
    // with light 0, colour material for the ambient and diffuse of front faces) and reserves the
    // world list. With no matching format it shows "ChoosePixelFormat failed" and returns false;
    // it also returns false when the context cannot be created or made current. The surface is
    // not owned and must outlive this object.
    bool Initialize(GlSurface& surface);
    bool HasContext() const noexcept { return hasContext_; }
    // Makes the context current again (after the host made another one current). False when
    // there is no context or its drawable cannot be drawn now.
    bool MakeCurrent();

    // Recompiles the world list from room's tree, placed by the placement walk with a copy of the
    // room's motor mask table (CountMasks from 1), in rigid groups (WorldGroups): what a motor
    // moves is placed by its frame when the list is shown, so PlaceWorldList can move it. With
    // highlightSelection the room's selected subpart is drawn highlighted, or its whole tree when
    // the room itself is selected and has subparts. No room gives an empty world. The context is
    // made current for compiling first; the model-view stack is as deep afterwards as before, also
    // when the walk fails (its error reaches the caller and the list holds what was placed up to
    // then). Each axis marker is compiled as detailed as it appears from the current camera in the
    // current viewport; a camera moved closer without a recompile shows the markers a little
    // coarser. The rooms are only read; given drawn, the joint poses the walk sets are kept there
    // (those set before a failure too), for the caller to store.
    void CompileWorldList(clsPartRoom* room, bool highlightSelection, JointPoses* drawn = nullptr);
    // After a change of room's motor values only: walks room for the frames of its moving parts
    // and places the compiled parts there, nothing compiled again but the markers' balls (whose
    // detail follows their size on screen); the poses go to drawn. False, with nothing changed,
    // when the world list was not compiled from this robot as it is now (another room, another
    // tree, a list set from outside): compile it then.
    bool PlaceWorldList(clsPartRoom* room, JointPoses* drawn = nullptr);
    // How often the whole world list was compiled (CompileWorldList) in this object.
    std::uint64_t WorldCompilations() const noexcept { return worldCompilations_; }
    // The markers' balls compiled again as detailed as they appear from the current camera, as
    // a compilation would; for a camera that has settled after moving. False when the world list
    // was not compiled here.
    bool SizeMarkersToCamera();
    // While the view moves (a drag of the camera, a slider, a path being animated or driven),
    // the world is shown as a quick picture: the same shapes and lines, the markers' balls as
    // flat pictures of their size and shading. The exact picture is back with the first display
    // after SetQuickPicture(false). A list set from outside is always shown exactly.
    void SetQuickPicture(bool quick) noexcept { quick_ = quick; }
    bool QuickPicture() const noexcept { return quick_; }

    // Shows the world list from the camera: clears colour and depth unless DoNotClear, draws,
    // waits for GL and swaps. When snapshot is given it receives the frame read back before the
    // swap: whole, or, given the least size a thumbnail needs, halved in the context while both
    // sides stay at least that size, each pixel the mean of the four it covers (whole where the
    // context cannot halve it). A call made while a display is in progress returns at once (the
    // repaint is dropped).
    // The frame drawn is kept (but a quick picture), and a display of the same picture (the list
    // not recompiled, the same camera, viewport and matrices) copies it back instead of drawing the
    // world again; DoNotClear always draws, over whatever the buffer holds.
    void DisplayWorldList(bool DoNotClear = false, GlImage* snapshot = nullptr, int leastWidth = 0,
                          int leastHeight = 0);
    // Drops the kept frame, so the next display draws the world: for a change to what the list
    // calls that no recompile follows, such as label glyphs rebuilt for another screen.
    void ForgetShownFrame() noexcept { shown_.Forget(); }
    bool IsDisplaying() const noexcept { return displaying_; }

    // Draws room from camera off screen into a picture of width by height pixels: the view's
    // field of view and aspect ratio, so the picture is the view's frame at that size, with the
    // axis markers as detailed as they appear in it. The world list, the viewport, the projection
    // and the framebuffer the view draws into stay as they were; nothing is shown. An empty
    // picture when there is no context, the size is empty, a display is in progress or the
    // context cannot draw off screen. The walk's error reaches the caller.
    GlImage DrawOffScreen(clsPartRoom* room, const typCamera& camera, bool highlightSelection,
                          int width, int height);
    // The two halves of DrawOffScreen, for a caller that spreads a big room over two steps:
    // CompileOffScreen compiles room into the off-screen list with the markers sized for a
    // picture height pixels high (false, compiling nothing, where DrawOffScreen gives no
    // picture); ShowOffScreen draws the list compiled last into a picture of width by height.
    bool CompileOffScreen(clsPartRoom* room, const typCamera& camera, bool highlightSelection,
                          int height);
    GlImage ShowOffScreen(const typCamera& camera, int width, int height);

    // Viewport W by H pixels (a height of 0 counts as 1) and the perspective projection for it;
    // the model-view matrix is left as the identity.
    void SizeToWindow(std::int32_t W, std::int32_t H);

    double FieldOfView() const noexcept { return fieldOfView_; }  // degrees, vertical
    double NearClip() const noexcept { return nearClip_; }
    double FarClip() const noexcept { return farClip_; }
    double AspectRatio() const noexcept { return aspectRatio_; }
    std::int32_t ViewportHeight() const noexcept { return viewportHeight_; }

    // The current camera and projection as the placement walk sizes the axis markers with.
    typScreenScale ScreenScale() const;
    // The same for camera in a viewport viewportHeight pixels high.
    typScreenScale ScaleFor(const typCamera& camera, std::int32_t viewportHeight) const;

  private:
    void SetInitialState();
    // The world list from the camera into the buffer drawn to, over what it holds.
    void DrawWorld(bool quick) const;
    // Whether the world list is the groups' compilation as it is now.
    bool GroupsCurrent() const noexcept {
        return groupsCompilation_ != 0 && groupsCompilation_ == compilations_;
    }
    // Compiles room's placement walk into list with markers sized for scale; the poses it sets
    // go to drawn when given.
    void CompileInto(std::int32_t list, clsPartRoom* room, bool highlightSelection,
                     const typScreenScale& scale, JointPoses* drawn = nullptr);
    void CompileWalk(std::int32_t list, clsPartRoom* room, bool highlightSelection,
                     const typScreenScale& scale, JointPoses* drawn);
    void ReleaseContext();

    std::int32_t worldList_ = 0;
    std::uint64_t compilations_ = 0;  // of the world list: part of the kept frame's key
    ShownFrame shown_;
    ReducedFrame reduced_;            // the frame halved for a thumbnail
    std::int32_t offScreenList_ = 0;  // the list off-screen pictures are compiled into
    std::int32_t quickList_ = 0;      // the quick picture's world list
    WorldGroups groups_;
    std::uint64_t groupsCompilation_ = 0;  // the compilation the groups wrote last
    std::uint64_t worldCompilations_ = 0;
    bool quick_ = false;
    typCamera camera_;
    double fieldOfView_ = 45;
    double nearClip_ = 0.5;
    double farClip_ = 200;
    double aspectRatio_ = 1.0;
    std::int32_t viewportHeight_ = 0;  // pixels; 0 before the first SizeToWindow
    GlSurface* surface_ = nullptr;
    bool hasContext_ = false;
    bool displaying_ = false;
    ContextSetup contextSetup_;
    ContextSetup listCompiled_;
};

}  // namespace torvane
