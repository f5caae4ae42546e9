#pragma once

#include <QString>

namespace platform {

// The desktop's choice of program is GIO's, as a file manager's is (xdg-open is slow without a
// desktop environment and often finds nothing); the program is started from this process, gets
// none of its descriptors beyond the standard three, and is reaped when it ends.

// Opens the file with the desktop's default application for its type. False when no
// application is associated with the type or it cannot be started.
bool openWithAssociatedProgram(const QString &path);

// Hands the URL, byte for byte, to the desktop's handler for its scheme (any letter case), the
// one "gio open" would start. False when no program handles the scheme or it cannot be started.
bool openWithSchemeHandler(const QString &url);

} // namespace platform
