#include "app/ShapesAdapter.h"

#include "model/Error.h"
#include "platform/UserInterface.h"

namespace mechanon {
namespace {

torvane::ErrorCode ToModelCode(primora::ShapeErrorCode code) {
    switch (code) {
        case primora::ShapeErrorCode::Overflow:
            return torvane::ErrorCode::Overflow;
        case primora::ShapeErrorCode::SubscriptOutOfRange:
            return torvane::ErrorCode::SubscriptOutOfRange;
    }
    return torvane::ErrorCode::InvalidArgument;
}

}  // namespace

primora::DoubleArray ToShapeArray(const torvane::DoubleArray& in) {
    if (!in.IsAllocated()) return {};
    return primora::DoubleArray(in.LBound(), in.Items());
}

torvane::DoubleArray FromShapeArray(const primora::DoubleArray& in) {
    if (!in.IsAllocated()) return {};
    return torvane::DoubleArray(in.LBound(), in.Values());
}

ShapesAdapter::ShapesAdapter() {
    // A part whose size or colour cannot be drawn is reported once, not at every redraw of
    // the view (a click, a resize, an animation step) until it is fixed.
    shapes_.SetMessageHook([this](const std::string& text) {
        if (reported_.insert(drawing_ + '\x1f' + text).second)
            torvane::Host().MsgBox(text, torvane::MsgButtons::OK);
    });
}

std::string ShapesAdapter::DrawingKey(const torvane::DoubleArray& InSize,
                                      const torvane::DoubleArray& InColor,
                                      const std::string& PartName, const std::string& SubPartName) {
    std::string key = PartName + '\x1f' + SubPartName;
    for (const torvane::DoubleArray* values : {&InSize, &InColor}) {
        key += '\x1f';
        if (values->IsAllocated())
            for (double v : values->Items()) key += std::to_string(v) + ",";
    }
    return key;
}

void ShapesAdapter::SelectShape(torvane::DoubleArray& InSize, std::string& InShapeName,
                                torvane::DoubleArray& InColor, std::string& PartName,
                                std::string& SubPartName) {
    Select(nullptr, InSize, InShapeName, InColor, PartName, SubPartName);
}

void ShapesAdapter::SelectShapeAt(const std::array<double, 16>& at, torvane::DoubleArray& InSize,
                                  std::string& InShapeName, torvane::DoubleArray& InColor,
                                  std::string& PartName, std::string& SubPartName) {
    Select(&at, InSize, InShapeName, InColor, PartName, SubPartName);
}

void ShapesAdapter::Select(const std::array<double, 16>* at, torvane::DoubleArray& InSize,
                           std::string& InShapeName, torvane::DoubleArray& InColor,
                           std::string& PartName, std::string& SubPartName) {
    primora::DoubleArray size = ToShapeArray(InSize);
    primora::DoubleArray color = ToShapeArray(InColor);
    drawing_ = DrawingKey(InSize, InColor, PartName, SubPartName);
    try {
        if (at)
            shapes_.SelectShapeAt(*at, size, InShapeName, color, PartName, SubPartName);
        else
            shapes_.SelectShape(size, InShapeName, color, PartName, SubPartName);
    } catch (const primora::ShapeError& e) {
        throw torvane::Error(ToModelCode(e.Code()), e.what());
    }
    // The members take their arrays by reference; hand back whatever the library wrote.
    InSize = FromShapeArray(size);
    InColor = FromShapeArray(color);
}

void ShapesAdapter::DrawAxes(std::int16_t X, std::int16_t Y, std::int16_t Z, double pixelsPerUnit) {
    shapes_.DrawAxes(X, Y, Z, pixelsPerUnit);
}

std::shared_ptr<torvane::IShapes> NewShapes() {
    return std::make_shared<ShapesAdapter>();
}

}  // namespace mechanon
