#include "app/editing/ShortNumberBox.h"

#include <QLineEdit>
#include <QVariant>

#include "model/NumberText.h"

namespace mechanon {
namespace {

// The box keeps both on itself, so any box can be one without a member of its own.
constexpr const char* kExactValue = "mechanonExactValue";
constexpr const char* kShownText = "mechanonShownText";

}  // namespace

void ShowShortNumber(QLineEdit& box, double value) {
    const QString text =
        QString::fromStdString(torvane::ShortNumberText(value, kShortNumberDigits));
    box.setText(text);
    box.setProperty(kExactValue, value);
    box.setProperty(kShownText, text);
}

double ReadShortNumber(const QLineEdit& box) {
    const QVariant shown = box.property(kShownText);
    if (shown.isValid() && shown.toString() == box.text())
        return box.property(kExactValue).toDouble();
    return torvane::NumberValue(box.text().toStdString());
}

}  // namespace mechanon
