#include "app/editing/TabStrip.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>

namespace mechanon {

TabStrip::TabStrip(const QStringList& captions, QWidget* parent) : QWidget(parent) {
    tabs_ = new QTabBar(this);
    tabs_->setDrawBase(false);
    tabs_->setExpanding(false);
    // The four tabs of the part editor share a strip 4695 twips wide: narrow padding and a
    // small caption keep them all in view without scroll arrows.
    tabs_->setUsesScrollButtons(false);
    tabs_->setStyleSheet("QTabBar::tab { padding: 3px 5px; font-size: 10px; }");
    for (const QString& caption : captions) tabs_->addTab(caption);
    // A click on the selected tab changes nothing, but the strip still reports it: the
    // editor then shows that tab's frame again.
    connect(tabs_, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index == tabs_->currentIndex()) Q_EMIT Clicked();
    });
    connect(tabs_, &QTabBar::currentChanged, this, [this](int) { Q_EMIT Clicked(); });
}

QString TabStrip::SelectedCaption() const {
    return tabs_->tabText(tabs_->currentIndex());
}

bool TabStrip::SelectTab(const QString& caption) {
    for (int i = 0; i < tabs_->count(); ++i) {
        if (tabs_->tabText(i) != caption) continue;
        tabs_->setCurrentIndex(i);
        return true;
    }
    return false;
}

void TabStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    tabs_->setGeometry(0, 0, width(), tabs_->sizeHint().height());
}

void TabStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionTabWidgetFrame panel;
    panel.initFrom(this);
    const int top = tabs_->sizeHint().height();
    panel.rect = QRect(0, top - 1, width(), height() - top + 1);
    panel.shape = QTabBar::RoundedNorth;
    panel.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &panel, &painter, this);
}

}  // namespace mechanon
