#pragma once
// The motion windows the main window's Motors menu opens: the serial test window and the motor
// properties window (both modal) and the tool-path window. Made once, owned by the main window.

namespace mechanon {

class MDIForm1;
class clsBots;

// Creates the three windows and connects mnuTestMotor, mnuMotorsProperties and mnuWork.
// Call once, after the main window has made its menus.
void ConnectMotionMenus(MDIForm1& main, clsBots& bots);

}  // namespace mechanon
