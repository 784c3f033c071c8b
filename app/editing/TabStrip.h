#pragma once
// A tab strip as the part editor lays it out: a row of tabs across the top of a panel whose
// full extent (tabs and panel) is the strip's geometry. The frames that belong to the tabs
// are not children of the strip; they lie over its panel and the editor shows the one that
// matches the selected tab.

#include <QStringList>
#include <QTabBar>
#include <QWidget>

namespace mechanon {

class TabStrip : public QWidget {
    Q_OBJECT
  public:
    TabStrip(const QStringList& captions, QWidget* parent);

    // The caption of the selected tab ("" when there is no tab).
    QString SelectedCaption() const;
    // Selects the tab with this caption; false when there is none.
    bool SelectTab(const QString& caption);
    QTabBar& Tabs() const { return *tabs_; }

  Q_SIGNALS:
    // The user chose a tab (also a click on the tab already selected).
    void Clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QTabBar* tabs_ = nullptr;
};

}  // namespace mechanon
