#pragma once
// A check box whose caption wraps onto further lines when it is wider than the box, as the
// part editor's "Show Selected In Red" needs in its narrow design width. The whole box takes
// the click, not only the first line of the caption.

#include <QCheckBox>
#include <QPainter>
#include <QStyleOptionButton>

namespace mechanon {

class WrappedCheckBox : public QCheckBox {
    Q_OBJECT
  public:
    WrappedCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QRect indicator =
            style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
        option.rect = indicator;
        style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);
        const int left = indicator.right() + 4;
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::WindowText));
        painter.drawText(QRect(left, 0, width() - left, height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text());
    }
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

}  // namespace mechanon
