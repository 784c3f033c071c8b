#pragma once
// A number box that shows its value in short (6 significant digits, so a camera moved with the
// mouse reads " 12.3457" rather than fifteen digits) but keeps the exact value: reading the box
// back gives that value for as long as the text is the one shown, and the number typed once the
// user changed it.

class QLineEdit;

namespace mechanon {

inline constexpr int kShortNumberDigits = 6;

void ShowShortNumber(QLineEdit& box, double value);
double ReadShortNumber(const QLineEdit& box);

}  // namespace mechanon
