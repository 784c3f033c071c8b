#pragma once
// Couples a container frame with a horizontal scroll bar: the bar's value, in twips, is how
// far the frame is moved to the left. The range is recomputed only by ZeroFrame (on a resize
// of the window and by the main window's arrangement), not when the frame grows.

#include <QObject>
#include <QPointer>
#include <QScrollBar>
#include <QWidget>

namespace mechanon {

// The scroll bar settings for a frame of frameWidth behind a bar of barWidth, both twips.
struct ScrollRange {
    bool Enabled = false;
    int Max = 0;          // twips the frame can move
    int LargeChange = 0;  // twips per page
    int SmallChange = 0;  // twips per arrow click
};
// Max is frame minus bar, rounded to an integer (and held within the int range, which the bar
// uses; not cut to 16 bits). LargeChange and SmallChange are Max / 10 and Max / 100 rounded
// half to even, keeping 10 and 1 where that gives less than 1.
ScrollRange ComputeScrollRange(double frameWidth, double barWidth);

class clsScrollFRame : public QObject {
    Q_OBJECT
  public:
    explicit clsScrollFRame(QObject* parent = nullptr) : QObject(parent) {}

    QPointer<QWidget> pubFrame;
    // Setting the bar subscribes to its value changes.
    void SetHScroll(QScrollBar* bar);
    QScrollBar* pubHScroll() const { return bar_; }

    // Moves the frame back to the left and recomputes the bar's range.
    void ZeroFrame();

  Q_SIGNALS:
    // Raised after every scroll.
    void Change();

  private:
    void Scrolled(int value);

    QPointer<QScrollBar> bar_;
    QMetaObject::Connection subscription_;
};

}  // namespace mechanon
