#pragma once

#include <QString>

namespace platform {

// Whether Qt can open windows that a person sees: the platform it would start on
// (QT_QPA_PLATFORM, else the session's X or Wayland display) answers. Qt ends the process when
// its platform cannot start, so a program that may run without a display asks first. Off-screen
// platforms count as none: a box shown there would wait for a click that never comes.
bool windowingSystemAvailable();

// Whether windows on the Qt platform named `qtPlatform` go where the program puts them. A Wayland
// compositor places and sizes every window itself: a kiosk compositor stretches a window without
// a parent over the screen and centres one that has a parent over it.
bool programPlacesWindows(const QString &qtPlatform);

} // namespace platform
