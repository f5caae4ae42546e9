#pragma once

#include <QString>

namespace platform {

// Opens the file with the desktop's default application for its type, through GIO as a file
// manager does (xdg-open is slow without a desktop environment and often finds nothing).
// False when no application is associated with the type or it cannot be started.
bool openWithAssociatedProgram(const QString &path);

// Hands the URL, byte for byte, to the desktop's handler for its scheme (any letter case), as
// GIO's "gio open" does. False when no program handles the scheme or it cannot be started.
bool openWithSchemeHandler(const QString &url);

} // namespace platform
