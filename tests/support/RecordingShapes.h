#pragma once
// A shapes object that draws nothing and records every call of the placement walk, with the
// model-view matrix current at the call when a GL context is current.

#include <GL/gl.h>

#include <array>
#include <string>
#include <vector>

#include "model/IShapes.h"

namespace mechanon::testing {

class RecordingShapes final : public torvane::IShapes {
  public:
    struct Call {
        bool axes = false;         // DrawAxes; otherwise SelectShape
        double pixelsPerUnit = 0;  // DrawAxes
        torvane::DoubleArray size, color;
        std::string shapeName, partName, subPartName;
        std::array<GLdouble, 16> modelView{};
    };
    std::vector<Call> calls;
    // Skip the matrix read-back (benchmarks without a context).
    bool recordMatrices = true;

    void SelectShape(torvane::DoubleArray& InSize, std::string& InShapeName,
                     torvane::DoubleArray& InColor, std::string& PartName,
                     std::string& SubPartName) override {
        Call c;
        c.size = InSize;
        c.color = InColor;
        c.shapeName = InShapeName;
        c.partName = PartName;
        c.subPartName = SubPartName;
        Record(c);
    }
    void DrawAxes(std::int16_t, std::int16_t, std::int16_t, double pixelsPerUnit) override {
        Call c;
        c.axes = true;
        c.pixelsPerUnit = pixelsPerUnit;
        Record(c);
    }
    bool ShowAxis() const override { return showAxis_; }
    void SetShowAxis(bool show) override { showAxis_ = show; }
    bool ShowGrids() const override { return showGrids_; }
    void SetShowGrids(bool show) override { showGrids_ = show; }
    std::string ShapeNames() const override { return names_; }
    void SetShapeNames(const std::string& names) override { names_ = names; }

    // The SelectShape calls only, in order.
    std::vector<Call> Shapes() const {
        std::vector<Call> out;
        for (const auto& c : calls)
            if (!c.axes) out.push_back(c);
        return out;
    }

  private:
    void Record(Call& c) {
        if (recordMatrices) glGetDoublev(GL_MODELVIEW_MATRIX, c.modelView.data());
        calls.push_back(std::move(c));
    }
    bool showAxis_ = true;
    bool showGrids_ = true;
    std::string names_ = "airplane,squareplane,grid,cone,box";
};

}  // namespace mechanon::testing
