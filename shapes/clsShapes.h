#pragma once
// The shape catalogue: turns a part's shape name, size and colour into fixed-function GL
// geometry at the current model-view transform, or placed into a frame it is given, in whatever
// context is current. It never creates or clears a context and never changes the matrix mode;
// the members that transform push and pop the model-view matrix, so each leaves the transform as
// it found it.
//
// Sizes are full extents in model units read at indices 1 to 3; colours are red, green, blue in
// percent. Single-threaded: every member runs on the thread whose GL context is current.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shapes/BoundedArray.h"
#include "shapes/GlSink.h"
#include "shapes/PrimoraApi.h"
#include "shapes/ShapeRegistry.h"

struct GLUquadric;

namespace primora {

class PRIMORA_API clsShapes {
  public:
    // Shows one of the two size/colour messages (plain box, OK only, default title). Without a
    // hook the text goes to standard error.
    using MessageHook = std::function<void(const std::string& text)>;
    // A host's drawing of a shape; receives the same five values SelectShape received.
    using CustomDrawHandler =
        std::function<void(DoubleArray& InSize, std::string& InShapeName, DoubleArray& InColor,
                           std::string& PartName, std::string& SubPartName)>;
    using SubscriptionId = std::uint64_t;

    // Grids with more lines than this in one direction are refused: they would take minutes
    // and gigabytes to compile and show nothing a user can read.
    static constexpr double kMaxGridLines = 10000;

    static constexpr const char* kTooFewValuesMessage =
        "You need to enter three numbers separated by commas to define a shape's color or size.";
    static constexpr const char* kNotEnoughValuesMessage = "Not enough values in data entered";

    clsShapes();
    ~clsShapes();
    clsShapes(const clsShapes&) = delete;
    clsShapes& operator=(const clsShapes&) = delete;

    const std::string& ShapeNames() const noexcept { return shapeNames_; }
    void SetShapeNames(std::string names) { shapeNames_ = std::move(names); }
    bool ShowAxis() const noexcept { return showAxis_; }
    void SetShowAxis(bool show) noexcept { showAxis_ = show; }
    bool ShowGrids() const noexcept { return showGrids_; }
    void SetShowGrids(bool show) noexcept { showGrids_ = show; }
    bool DoDraw() const noexcept { return doDraw_; }
    void SetDoDraw(bool draw) noexcept { doDraw_ = draw; }

    // Checks the arrays (messages on too few values), sets the colour, draws the named built-in
    // shape and then raises CustomDraw. Names are matched lower-cased and trimmed of blanks.
    void SelectShape(DoubleArray& InSize, std::string& InShapeName, DoubleArray& InColor,
                     std::string& PartName, std::string& SubPartName);
    // The same with the part in frame at instead of the current transform: the surfaces' own
    // vertices are placed into it, so a list of many parts holds no matrix change between them
    // and its vertices go to the rasteriser in one batch. A grid and the custom drawing still
    // see at as their current transform.
    void SelectShapeAt(const Placement& at, DoubleArray& InSize, std::string& InShapeName,
                       DoubleArray& InColor, std::string& PartName, std::string& SubPartName);

    // The primitives. Most take half sizes (a, b, c); DrawCone takes full sizes (bottom
    // diameter, top diameter, height); DrawGrid takes (half extent X, half extent Y, spacing).
    void DrawSquarePlane(const DoubleArray& InSize) const;
    void DrawGLAirPlane(const DoubleArray& InSize) const;
    // The axis marker: a red, green and blue line along X, Y and Z of the given lengths and a
    // grey ball at the origin, as detailed as a ball pixelsPerUnit pixels per model unit on
    // screen needs (0 when unknown: the finest ball).
    void DrawAxes(double X, double Y, double Z, double pixelsPerUnit = 0) const;
    void DrawGrid(const DoubleArray& InSize) const;
    // Calls the display list named by each character's code at the current origin, in a dark
    // label colour over everything drawn before or after (no depth test). Glyph lists exist
    // once CreateLabelGlyphs has run in the current context; otherwise nothing shows.
    void PrintLabelToGL(const std::string& PrintMe) const;
    // The single-byte code page value of each character, lower bound 1. An empty text fails with
    // a subscript error; a character outside the code page with an overflow error.
    static ByteArray StringToBytes(const std::string& InString);
    void DrawCone(const DoubleArray& InSize) const;
    void DrawBox(const DoubleArray& InSize) const;

    // Handlers run synchronously inside SelectShape, in the order they subscribed.
    SubscriptionId SubscribeCustomDraw(CustomDrawHandler handler);
    // False when the id is not (or no longer) subscribed.
    bool UnsubscribeCustomDraw(SubscriptionId id);

    void SetMessageHook(MessageHook hook) { messageHook_ = std::move(hook); }

  private:
    struct QuadricDeleter {
        void operator()(GLUquadric* q) const;
    };
    struct Subscriber {
        SubscriptionId id;
        CustomDrawHandler handler;
    };

    void Select(const Placement* at, DoubleArray& InSize, std::string& InShapeName,
                DoubleArray& InColor, std::string& PartName, std::string& SubPartName);
    // A catalogue shape in GL: its own drawing, in frame at when there is one, or its surface,
    // placed into at as separate triangles of colour (GlTriangleSink).
    void Draw(const ShapeEntry& shape, const ShapeSize& size, const Placement* at,
              const std::array<float, 3>& colour) const;
    void ShowMessage(const std::string& text) const;
    void RaiseCustomDraw(DoubleArray& InSize, std::string& InShapeName, DoubleArray& InColor,
                         std::string& PartName, std::string& SubPartName);

    std::unique_ptr<GLUquadric, QuadricDeleter> quadric_;
    std::string shapeNames_;  // the catalogue's names, in its order
    bool showAxis_ = true;
    bool showGrids_ = true;
    bool doDraw_ = true;
    MessageHook messageHook_;
    std::vector<Subscriber> subscribers_;
    SubscriptionId nextSubscription_ = 1;
};

}  // namespace primora
