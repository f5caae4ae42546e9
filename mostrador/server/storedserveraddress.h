#pragma once

#include "mostradorlogswitches.h"

#include <QString>

// The server address kept enciphered as "IP_CONFIG" of section "CONNECTION" in the settings
// file. Both operations log their line whatever the log switches say.

// The stored address, or empty when none is stored or the stored text holds a control character.
QString leerIpConfig(const QString &directory, const QString &fileName);
// Stores `address` unless it is empty; raises SettingsWriteError when the file cannot be written.
void guardarIpConfig(const QString &directory, const QString &fileName, const QString &address);

// The address the version check and the refresh thread ask: the stored one, else the address
// book's default; logs `fromSettings` or `byDefault` followed by it.
QString direccionServidor(const QString &directory, const QString &fileName, const QString &fromSettings,
                          const QString &byDefault, MostradorLogSwitches logSwitches);

// A host name, an IPv4 address or a bracketed IPv6 address, with an optional ":port", at most 255
// characters: the only text that can stand between a scheme and a path.
bool esDireccionServidor(const QString &text);
