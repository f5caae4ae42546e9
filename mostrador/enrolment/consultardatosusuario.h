#pragma once

#include "mostradorlogswitches.h"

#include <QString>

struct MostradorState;

// Looks for the credentials stored by an earlier enrolment in the key "ZVR" of the registry
// hive in `registryHive` (RegistryKey::classesRootDirectory() in the product). True when user
// name and password were found: `state` then holds them with the volume serial. A key this user
// cannot both read and write counts as missing. Raises RegistryError for a value that is not a
// string.
bool consultarDatosUsuario(MostradorState &state, const QString &registryHive, MostradorLogSwitches logSwitches);
