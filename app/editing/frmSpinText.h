#pragma once
// The spin popup ("Step Number"): a small window beside a text box with a mirror of the box
// ("Text1", only the number being stepped highlighted), "<<<" and ">>>" to step that number
// down and up, and "Step" to change the step size. Closing it turns the attached box white.

#include <QPushButton>
#include <QTextEdit>
#include <QWidget>

namespace mechanon {

class clsSpinText;

class frmSpinText : public QWidget {
    Q_OBJECT
  public:
    explicit frmSpinText(clsSpinText& ClassWrapper);

    static constexpr const char* kCaption = "Step Number";

    clsSpinText& ClassWrapper;
    QTextEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;  // "<<<"
    QPushButton* Command2 = nullptr;  // ">>>"
    QPushButton* Command3 = nullptr;  // "Step"

  protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace mechanon
