#pragma once
// Captures what a piece of drawing code sends down the GL pipeline, through GL feedback mode, so
// geometry can be checked as vertices rather than by restating the calls. With ObjectSpaceView
// in place (orthographic, no lighting) the window coordinates map back to model coordinates.

#include <functional>
#include <vector>

namespace mechanon::testing {

struct FeedbackVertex {
    double x = 0, y = 0, z = 0;  // window coordinates (z in the depth range 0..1)
    double r = 0, g = 0, b = 0, a = 0;
};

struct FeedbackItem {
    enum class Kind { Point, Line, Polygon, Bitmap, Pixels, PassThrough };
    Kind kind = Kind::Point;
    std::vector<FeedbackVertex> vertices;  // the raster position for Bitmap and Pixels
    double passValue = 0;                  // PassThrough only
};

// Runs draw in feedback mode (3D coordinates with colour) and returns every item, growing the
// buffer until it holds the whole capture. A display list called inside draw is executed.
std::vector<FeedbackItem> CaptureFeedback(const std::function<void()>& draw);

std::size_t CountKind(const std::vector<FeedbackItem>& items, FeedbackItem::Kind kind);

// An orthographic view of the cube [-extent, extent]^3 on a 1000 by 1000 viewport with lighting
// off and identity model-view, so a feedback vertex converts back to model coordinates. The
// constructor saves the matrices, viewport and enables it changes; the destructor restores them.
class ObjectSpaceView {
  public:
    explicit ObjectSpaceView(double extent);
    ~ObjectSpaceView();
    ObjectSpaceView(const ObjectSpaceView&) = delete;
    ObjectSpaceView& operator=(const ObjectSpaceView&) = delete;

    struct Point {
        double x, y, z;
    };
    Point ToModel(const FeedbackVertex& v) const;

  private:
    double extent_;
};

}  // namespace mechanon::testing
