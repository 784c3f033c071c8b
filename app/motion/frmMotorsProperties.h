#pragma once
// The modal motor list editor ("Motors Properties"): the active part room's motor list (the
// same text as the Properties page of "Control Motors"), a first line of default limits
// "VMax,AMax" and one line per motor. OK stores the text in the room and loads it into the
// tool-path object; a text that cannot be read is reported and the window stays open with it.

#include <QComboBox>
#include <QDialog>
#include <QPushButton>

namespace mechanon {

class clsBots;
class MultiLineTextBox;

class frmMotorsProperties : public QDialog {
    Q_OBJECT
  public:
    explicit frmMotorsProperties(clsBots& bots, QWidget* parent = nullptr);

    // The line "Add Motor" writes: name, part room, port and encoder scale.
    static constexpr const char* kNewMotorLine = "X,none,1,1";

    // Appends a motor line, on the device chosen in cmbDevice when one is (its port otherwise
    // 1); an empty text first gets the default limits line.
    void AddMotor();
    // Stores and reads the text; closes the window only when it could be read.
    void OK();

    MultiLineTextBox* txtProperties = nullptr;
    // The machine's serial devices, refreshed each time the window opens; the first entry
    // chooses none.
    QComboBox* cmbDevice = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;

  protected:
    // Each time the window opens it shows the tool-path object's text.
    void showEvent(QShowEvent* event) override;

  private:
    clsBots& bots_;
};

}  // namespace mechanon
