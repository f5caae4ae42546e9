#include "credentialskey.h"

#include "registryerror.h"
#include "registrykey.h"

namespace credentialskey {

QString readString(const platform::RegistryKey &key, const QString &valueName)
{
    const std::optional<platform::RegistryKey::Value> value = key.value(valueName);
    if (!value)
        return QString();
    if (value->type != platform::RegistryKey::Type::String)
        throw RegistryError(QStringLiteral("Tipo de dato no válido para '%1'").arg(valueName));
    return value->text;
}

void create(platform::RegistryKey &key)
{
    if (const int rc = key.create(kName))
        throw RegistryError(QStringLiteral("No se puede crear la clave %1: %2").arg(kName, platform::RegistryKey::errorText(rc)));
}

void writeString(platform::RegistryKey &key, const QString &valueName, const QString &text)
{
    if (const int rc = key.writeString(valueName, text))
        throw RegistryError(QStringLiteral("No se puede escribir el valor '%1' de la clave %2: %3")
                                .arg(valueName, kName, platform::RegistryKey::errorText(rc)));
}

} // namespace credentialskey
