#pragma once
// The modal drive window ("Drive Motors"): one button that starts cutting the motor control
// window's tool path onto the motors and, while the cut runs, stops it. Its caption always says
// what a click will do. Escape, or closing the window, during a cut stops the cut.

#include <QDialog>
#include <QPushButton>

namespace mechanon {

class clsBots;
class frmControlMotors;

class frmCut : public QDialog {
    Q_OBJECT
  public:
    frmCut(clsBots& bots, frmControlMotors& source, QWidget* parent = nullptr);

    static constexpr const char* kStartCaption = "Start Driving";
    static constexpr const char* kStopCaption = "Stop Driving";

    // The button's command: starts a cut (with a stop of its own) when none runs, otherwise
    // requests its stop, which ends the cut within one control round.
    void StartDriving();
    // Requests the stop of the running cut; nothing when none runs.
    void StopDriving();
    bool Cutting() const noexcept { return cutting_; }

    QPushButton* Command1 = nullptr;

  protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void Cut();

    clsBots& bots_;
    frmControlMotors& source_;
    bool cutting_ = false;
};

}  // namespace mechanon
