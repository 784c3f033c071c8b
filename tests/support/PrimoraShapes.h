#pragma once
// The model's shapes interface over the real shape library, as the program connects them: the
// arrays are converted at the boundary (and written back, since the shape members take them
// by reference), the two size/colour messages go to the installed host's message box, and the
// library's errors become the model's error type with the same code.

#include <algorithm>
#include <memory>
#include <string>

#include "model/Error.h"
#include "model/IShapes.h"
#include "platform/UserInterface.h"
#include "shapes/ShapeLists.h"
#include "shapes/clsShapes.h"

namespace mechanon::testing {

class PrimoraShapes final : public torvane::IShapes {
  public:
    PrimoraShapes() : shapes_(std::make_shared<primora::clsShapes>()) {
        shapes_->SetMessageHook(
            [](const std::string& text) { torvane::Host().MsgBox(text, torvane::MsgButtons::OK); });
    }

    primora::clsShapes& Library() { return *shapes_; }

    void SelectShape(torvane::DoubleArray& InSize, std::string& InShapeName,
                     torvane::DoubleArray& InColor, std::string& PartName,
                     std::string& SubPartName) override {
        Select(nullptr, InSize, InShapeName, InColor, PartName, SubPartName);
    }
    bool PlacesShapes() const override { return true; }
    void SelectShapeAt(const std::array<double, 16>& at, torvane::DoubleArray& InSize,
                       std::string& InShapeName, torvane::DoubleArray& InColor,
                       std::string& PartName, std::string& SubPartName) override {
        Select(&at, InSize, InShapeName, InColor, PartName, SubPartName);
    }
    void DrawAxes(std::int16_t X, std::int16_t Y, std::int16_t Z, double pixelsPerUnit) override {
        shapes_->DrawAxes(X, Y, Z, pixelsPerUnit);
    }
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
    bool ShowAxis() const override { return shapes_->ShowAxis(); }
    void SetShowAxis(bool show) override { shapes_->SetShowAxis(show); }
    bool ShowGrids() const override { return shapes_->ShowGrids(); }
    void SetShowGrids(bool show) override { shapes_->SetShowGrids(show); }
    std::string ShapeNames() const override { return shapes_->ShapeNames(); }
    void SetShapeNames(const std::string& names) override { shapes_->SetShapeNames(names); }

  private:
    void Select(const std::array<double, 16>* at, torvane::DoubleArray& InSize,
                std::string& InShapeName, torvane::DoubleArray& InColor, std::string& PartName,
                std::string& SubPartName) {
        primora::DoubleArray size = ToLibrary(InSize);
        primora::DoubleArray color = ToLibrary(InColor);
        try {
            if (at)
                shapes_->SelectShapeAt(*at, size, InShapeName, color, PartName, SubPartName);
            else
                shapes_->SelectShape(size, InShapeName, color, PartName, SubPartName);
        } catch (const primora::ShapeError& e) {
            throw torvane::Error(static_cast<torvane::ErrorCode>(static_cast<int>(e.Code())),
                                 e.what());
        }
        WriteBack(size, InSize);
        WriteBack(color, InColor);
    }
    static primora::DoubleArray ToLibrary(const torvane::DoubleArray& a) {
        if (!a.IsAllocated()) return {};
        return primora::DoubleArray(a.LBound(), a.Items());
    }
    static void WriteBack(const primora::DoubleArray& from, torvane::DoubleArray& to) {
        if (from.IsAllocated()) to = torvane::DoubleArray(from.LBound(), from.Values());
    }

    std::shared_ptr<primora::clsShapes> shapes_;
};

}  // namespace mechanon::testing
