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

// One axis marker as a walk that draws the markers after everything else records it: the
// marker's frame relative to the frame the walk started in (column-major), and its pixels per
// model unit on screen (0 when unknown). Its lines are one model unit long, as the walk draws a
// marker in place.
struct typAxisMarkerPlace {
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
    // Markers in a pass of their own, for a walk that follows the frames itself: true when this
    // shapes object can draw every marker of a walk at its end (DrawAxisMarkers, each at its
    // place, when ShowAxis is on), which draws the same picture with all the lines in one batch
    // and one change of state for all the balls. The walk then draws nothing where a marker
    // stands. Otherwise it draws each marker there with DrawAxes.
    virtual bool DrawsMarkersLast() const { return false; }
    // parts says which of the markers' lines and balls to draw: a caller that draws several
    // groups of markers draws every group's lines, then every group's balls, which is the
    // picture of all the markers drawn Whole at once.
    enum class MarkerParts { Whole, Lines, Balls };
    virtual void DrawAxisMarkers(const std::vector<typAxisMarkerPlace>&, MarkerParts) {}
    // The balls of places as quick flat pictures facing eye (a point in the current frame), of
    // the balls' size and shading, for a picture drawn while the view moves; nothing where the
    // shapes object has no such pictures.
    virtual void DrawAxisBallSprites(const std::vector<typAxisMarkerPlace>&,
                                     const std::array<double, 3>& /*eye*/) {}
    // Shapes placed by the shapes object: true when SelectShapeAt draws what SelectShape draws,
    // placed into the frame at (column-major, relative to the current frame) with no matrix
    // change, so the parts of a walk reach the rasteriser in one batch. A walk that follows the
    // frames itself then uses it; otherwise it moves the matrix to each part and SelectShape
    // draws there.
    virtual bool PlacesShapes() const { return false; }
    virtual void SelectShapeAt(const std::array<double, 16>& /*at*/, DoubleArray& /*InSize*/,
                               std::string& /*InShapeName*/, DoubleArray& /*InColor*/,
                               std::string& /*PartName*/, std::string& /*SubPartName*/) {}

    virtual bool ShowAxis() const = 0;
    virtual void SetShowAxis(bool show) = 0;
    virtual bool ShowGrids() const = 0;
    virtual void SetShowGrids(bool show) = 0;
    // Comma-separated catalogue of built-in names, lower case.
    virtual std::string ShapeNames() const = 0;
    virtual void SetShapeNames(const std::string& names) = 0;
};

}  // namespace torvane
