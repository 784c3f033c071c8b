#pragma once
// What the model needs of a shapes object. Torvane never links the shape library: the program
// hands the room collection an adapter that forwards these members to the real shapes object,
// and the placement walk draws every part through it.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/VbArray.h"

namespace torvane {

// One axis marker's ball as a walk that draws the balls after everything else records it: the
// marker's frame relative to the frame the walk started in (column-major), and its pixels per
// model unit on screen (0 when unknown).
struct typAxisBallPlace {
    std::array<double, 16> Columns;
    double PixelsPerUnit = 0;
};

class IShapes {
  public:
    virtual ~IShapes() = default;

    // Draws the named shape with the given full size and colour (percent) in the current GL
    // frame. PartName and SubPartName name the part room and the use being drawn.
    virtual void SelectShape(DoubleArray& InSize, std::string& InShapeName, DoubleArray& InColor,
                             std::string& PartName, std::string& SubPartName) = 0;
    // The axis marker at the current frame's origin, seen at pixelsPerUnit pixels per model unit
    // on screen (0 when unknown), so a marker far away can be drawn with fewer triangles.
    virtual void DrawAxes(std::int16_t X, std::int16_t Y, std::int16_t Z, double pixelsPerUnit) = 0;
    // Markers in two passes, for a walk that follows the frames itself: true when this shapes
    // object can draw a marker's lines now (DrawAxisLines) and every ball of a walk at the end
    // (DrawAxisBalls, each at its place), which draws the same picture with one change of state
    // for all the balls. Otherwise the walk draws whole markers with DrawAxes.
    virtual bool DrawsBallsLast() const { return false; }
    virtual void DrawAxisLines(std::int16_t, std::int16_t, std::int16_t) {}
    virtual void DrawAxisBalls(const std::vector<typAxisBallPlace>&) {}

    virtual bool ShowAxis() const = 0;
    virtual void SetShowAxis(bool show) = 0;
    virtual bool ShowGrids() const = 0;
    virtual void SetShowGrids(bool show) = 0;
    // Comma-separated catalogue of built-in names, lower case.
    virtual std::string ShapeNames() const = 0;
    virtual void SetShapeNames(const std::string& names) = 0;
};

}  // namespace torvane
