#pragma once

#include "mostradorlogswitches.h"

#include <QString>

// True when the server's version page names a newer version than this build's. Raises
// ConversionError when the build's own version does not make a two-digit number.
bool comprobarActualizaciones(const QString &dirApp, MostradorLogSwitches logSwitches);
// The same against a given version of our own ("major.minor").
bool comprobarActualizaciones(const QString &dirApp, MostradorLogSwitches logSwitches, const QString &ownVersion);

