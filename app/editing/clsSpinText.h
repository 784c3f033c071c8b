#pragma once
// Steps one number inside a single-line text box. Double-clicking the box (which selects the
// word under the mouse), F4, or "Step Number..." of the box's context menu opens the spin popup
// beside it; each "<<<" or ">>>" replaces the
// selected number by itself minus or plus StepSize, keeps the comma and blank that followed
// it, selects the new number and the character after it, and raises FireSpin, on which the
// owning window stores its fields. Each object owns its own popup.

#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QMainWindow;

namespace mechanon {

class frmSpinText;

class clsSpinText : public QObject {
    Q_OBJECT
  public:
    explicit clsSpinText(QObject* parent = nullptr);
    ~clsSpinText() override;

    // Amount one step adds or subtracts; above 0 whenever set through SetStepSize.
    double StepSize = 1;
    // A step may not go below LowBound (down) or above HiBound (up); a bound itself is allowed.
    double LowBound = -1000000;
    double HiBound = 1000000;
    // The result of the last successful step.
    double Value = 0;
    // The attached box; its double click opens the popup.
    QPointer<QLineEdit> MyTextBox;
    // False for a box whose double click must stay the box's own (a table's cell editor); F4
    // and the context menu still open the popup.
    bool OpensOnDoubleClick = true;

    // The key that opens the popup from the box, and the context menu item that does.
    static constexpr Qt::Key kOpenKey = Qt::Key_F4;
    static constexpr const char* kMenuCaption = "Step Number...";

    void SetMyTextBox(QLineEdit* NewBox);
    // The popup's caption.
    void SetCaption(const QString& NewVal);
    // Widens the box's selection (or, without one, the cursor) to the whole number it lies in,
    // sign and point included.
    void SelectWholeNumber();
    // Places the popup beside the attached box, so the box stays in view, mirrors the box and
    // shows the popup.
    void ShowForm();
    // Copies the box's text and selection into the popup's mirror, with only the number
    // highlighted (a trailing blank, then a trailing comma, are left out of the highlight).
    void SetFormsDisplay();
    // The program's multiple-document main window, or null when none is open.
    static QMainWindow* GetMDIForm();
    void SpinUp() { Spin(true); }
    void SpinDown() { Spin(false); }
    // Asks for a new step size; an empty answer keeps it, 0 or less is refused.
    void SetStepSize();
    void Hide();

    frmSpinText& Form() const { return *form_; }

  Q_SIGNALS:
    // After every successful step, once the box holds the new number.
    void FireSpin();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Spin(bool up);
    // Selects the number at the cursor and opens the popup once the box has handled the event.
    void OpenLater();
    void ShowContextMenu(const QPoint& globalPos);
    void PlaceBesideBox();

    std::unique_ptr<frmSpinText> form_;
};

}  // namespace mechanon
