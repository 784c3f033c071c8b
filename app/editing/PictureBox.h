#pragma once
// A thumbnail of a strip of part rooms: it shows a picture and reports a click of the left
// mouse button.

#include <QLabel>
#include <QMouseEvent>

namespace mechanon {

class PictureBox : public QLabel {
    Q_OBJECT
  public:
    explicit PictureBox(QWidget* parent) : QLabel(parent) {}

  Q_SIGNALS:
    void Clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            Q_EMIT Clicked();
    }
};

}  // namespace mechanon
