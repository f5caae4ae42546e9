#pragma once

#include <QString>

namespace platform {
class RegistryKey;
}

// The key "ZVR" under HKEY_CLASSES_ROOT: it registers the terminal's URL scheme and holds the
// enciphered credentials. Its values are all strings.
namespace credentialskey {

inline const QString kName = QStringLiteral("ZVR");
inline const QString kUser = QStringLiteral("mu");
inline const QString kPassword = QStringLiteral("mp");
inline const QString kProtocol = QStringLiteral("URL Protocol");
// The default value, quotes included, and "URL Protocol", written only when the key is created.
inline const QString kDefaultText = QStringLiteral("\"URL:ZVR Protocol\"");
inline const QString kProtocolText = QStringLiteral("\"\"");
// "mu" and "mp" hold the credentials enciphered with encriptarSuma under this key.
inline const QString kCipherKey = QStringLiteral("morvatinesca");

// A string value; a missing one reads as "". Raises RegistryError for a value of another type.
QString readString(const platform::RegistryKey &key, const QString &valueName);
// Raise RegistryError with the system's reason when the store refuses.
void create(platform::RegistryKey &key);
void writeString(platform::RegistryKey &key, const QString &valueName, const QString &text);

} // namespace credentialskey
