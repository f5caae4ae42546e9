#pragma once

#include "codepage.h"
#include "credentialskey.h"
#include "installedcopy.h"
#include "kiosk.h"
#include "registrykey.h"
#include "stringcipher.h"

// What an enrolled kiosk keeps, for a Kiosk run of an installed copy: the credentials in the
// registry store of the copy's user, the stored server address as the settings file holds it.
namespace storedlogin {

inline bool storeCredentials(const InstalledCopy &copy, const QString &user, const QString &password)
{
    platform::RegistryKey key(Kiosk::homeDir(copy) + QStringLiteral("/.config/zelvora/registry/HKEY_CLASSES_ROOT"));
    const QString encipher = QStringLiteral("E");
    return key.create(credentialskey::kName) == 0 &&
           key.writeString(credentialskey::kUser, encriptarSuma(user, encipher, credentialskey::kCipherKey)) == 0 &&
           key.writeString(credentialskey::kPassword, encriptarSuma(password, encipher, credentialskey::kCipherKey)) == 0;
}

// The line of section "CONNECTION" that stores `address`.
inline QByteArray addressLine(const QString &address)
{
    return "IP_CONFIG=" + CodePage::fromUnicode(encriptarXor(address, QStringLiteral("E"), credentialskey::kCipherKey)) +
           "\r\n";
}

} // namespace storedlogin
