#pragma once
// The tool-path window ("Work"): a tool-path script and its expanded tool path on two tabs,
// both loaded from and saved to text files exactly as they stand in their boxes; the script is
// expanded, the tool path re-timed or replaced by the ellipse path, and the drive window opened.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <string>

#include "app/ChildWindow.h"

namespace mechanon {

class clsBots;
class frmControlMotors;
class MultiLineTextBox;

class frmCutToolPath : public ChildWindow {
    Q_OBJECT
  public:
    frmCutToolPath(clsBots& bots, frmControlMotors& controlMotors, QWidget* parent = nullptr);

    static constexpr const char* kScriptFilter = "scripted toolpath files (*.txt)|*.txt|";
    static constexpr const char* kToolPathFilter = "xml toolpath files (*.txt)|*.txt|";

    void ShowSelectedTab();
    void OpenScript();
    void SaveScript();
    void OpenXML();
    void SaveXML();
    void Expand();
    void TripleStop();
    void WriteEllipse();
    void CutToolPath();

    QTabBar* TabStrip1 = nullptr;
    MultiLineTextBox* txtScript = nullptr;
    MultiLineTextBox* txtXML = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QLineEdit* txtPeriod = nullptr;
    QPushButton* cmdOpen = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdOpenXML = nullptr;
    QPushButton* cmdSaveXML = nullptr;
    QPushButton* cmdExpand = nullptr;
    QPushButton* cmdTripleStop = nullptr;
    QPushButton* cmdWriteEllipsoid = nullptr;
    QPushButton* cmdGraph = nullptr;
    QPushButton* cmdCut = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Asks for a file with filter and fills box with its text; a cancelled dialog changes nothing.
    void OpenInto(MultiLineTextBox& box, const char* filter);
    void SaveFrom(const MultiLineTextBox& box, const char* filter);

    clsBots& bots_;
    frmControlMotors& controlMotors_;
    bool loaded_ = false;
};

}  // namespace mechanon
