#pragma once

#include "credentialskey.h"
#include "installedcopy.h"
#include "kiosk.h"
#include "registrykey.h"
#include "stringcipher.h"

// What an enrolled kiosk keeps, for a Kiosk run of an installed copy: the credentials in the
// registry store of the copy's user.
namespace storedlogin {

inline bool storeCredentials(const InstalledCopy &copy, const QString &user, const QString &password)
{
    platform::RegistryKey key(Kiosk::homeDir(copy) + QStringLiteral("/.config/zelvora/registry/HKEY_CLASSES_ROOT"));
    const QString encipher = QStringLiteral("E");
    return key.create(credentialskey::kName) == 0 &&
           key.writeString(credentialskey::kUser, encriptarSuma(user, encipher, credentialskey::kCipherKey)) == 0 &&
           key.writeString(credentialskey::kPassword, encriptarSuma(password, encipher, credentialskey::kCipherKey)) == 0;
}

} // namespace storedlogin
