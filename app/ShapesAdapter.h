#pragma once
// Hands the shape library's catalogue to the robot model, which only knows its own shapes
// interface: arrays are converted at the boundary, the library's size and colour messages go
// to the program's message box (once for each part and values), and its errors become the
// model's error type.

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "model/IShapes.h"
#include "shapes/ShapeLists.h"
#include "shapes/clsShapes.h"

namespace mechanon {

class ShapesAdapter final : public torvane::IShapes {
  public:
    ShapesAdapter();

    void SelectShape(torvane::DoubleArray& InSize, std::string& InShapeName,
                     torvane::DoubleArray& InColor, std::string& PartName,
                     std::string& SubPartName) override;
    bool PlacesShapes() const override { return true; }
    void SelectShapeAt(const std::array<double, 16>& at, torvane::DoubleArray& InSize,
                       std::string& InShapeName, torvane::DoubleArray& InColor,
                       std::string& PartName, std::string& SubPartName) override;
    void DrawAxes(std::int16_t X, std::int16_t Y, std::int16_t Z, double pixelsPerUnit) override;
    bool DrawsMarkersLast() const override { return true; }
    void DrawAxisMarkers(const std::vector<torvane::typAxisMarkerPlace>& places,
                         MarkerParts parts) override {
        primora::DrawAxisMarkerParts(places, parts != MarkerParts::Balls,
                                     parts != MarkerParts::Lines);
    }
    void DrawAxisBallSprites(const std::vector<torvane::typAxisMarkerPlace>& places,
                             const std::array<double, 3>& eye) override {
        primora::DrawAxisBallSprites(primora::AxisMarkerPlacesOf(places), eye);
    }

    bool ShowAxis() const override { return shapes_.ShowAxis(); }
    void SetShowAxis(bool show) override { shapes_.SetShowAxis(show); }
    bool ShowGrids() const override { return shapes_.ShowGrids(); }
    void SetShowGrids(bool show) override { shapes_.SetShowGrids(show); }
    std::string ShapeNames() const override { return shapes_.ShapeNames(); }
    void SetShapeNames(const std::string& names) override { shapes_.SetShapeNames(names); }

    primora::clsShapes& Shapes() { return shapes_; }

  private:
    // SelectShape, placed into at when there is one.
    void Select(const std::array<double, 16>* at, torvane::DoubleArray& InSize,
                std::string& InShapeName, torvane::DoubleArray& InColor, std::string& PartName,
                std::string& SubPartName);
    // The part being drawn and the values it is drawn with.
    static std::string DrawingKey(const torvane::DoubleArray& InSize,
                                  const torvane::DoubleArray& InColor, const std::string& PartName,
                                  const std::string& SubPartName);

    primora::clsShapes shapes_;
    std::string drawing_;
    // The messages already shown, each with the drawing it was about.
    std::set<std::string> reported_;
};

// A fresh shapes object for a new robot, as the room collection holds it.
std::shared_ptr<torvane::IShapes> NewShapes();

// Array conversions in both directions, keeping the lower bound and the unallocated state.
primora::DoubleArray ToShapeArray(const torvane::DoubleArray& in);
torvane::DoubleArray FromShapeArray(const primora::DoubleArray& in);

}  // namespace mechanon
