#pragma once

#include <QString>

class InstalledCopy;

// The desktop of one user, as far as the "zvr" scheme goes: the copy's desktop entries written
// by `cmake --install` (component "desktop") into XDG_DATA_HOME/applications, their database,
// and the copy's Ticketera as the scheme's default in XDG_CONFIG_HOME/mimeapps.list. Throws
// when any step fails.
void registerSchemeHandler(const InstalledCopy &copy, const QString &dataHome, const QString &configHome);
