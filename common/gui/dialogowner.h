#pragma once

class QWidget;

// Where the windowing system places every window itself (Wayland), a window without a parent is
// laid out as a program's main window: a kiosk compositor stretches it over the screen and draws a
// fixed-size dialog in its top left corner. Makes such a dialog belong to the window it shows over
// (the open modal window, else the active one, else the first one shown), so that the compositor
// centres it there and hands it the keyboard. Where the program places its windows, or when the
// program shows no other window, nothing changes. Call before the dialog is shown.
void attachToOwnerWindow(QWidget &dialog);
