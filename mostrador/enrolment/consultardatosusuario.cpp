#include "consultardatosusuario.h"

#include "credentialskey.h"
#include "mostradorstate.h"
#include "processhelpers.h"
#include "registrykey.h"
#include "stringcipher.h"

#include <QDir>

bool consultarDatosUsuario(MostradorState &state, const QString &registryHive, MostradorLogSwitches logSwitches)
{
    const auto log = [&](const QString &line) { logSwitches.logGeneral(line); };
    log(QStringLiteral("Inicio de consulta de datos de usuario guardados en el sistema"));
    bool result = false;
    platform::RegistryKey key(registryHive);
    if (key.openFullAccess(credentialskey::kName) != 0) {
        log(QStringLiteral("NO Existen datos de usuario registrados en el sistema."));
    } else {
        const QString decipher = QStringLiteral("D");
        state.Usuario = encriptarSuma(credentialskey::readString(key, credentialskey::kUser), decipher,
                                      credentialskey::kCipherKey);
        state.Contrasenya = encriptarSuma(credentialskey::readString(key, credentialskey::kPassword), decipher,
                                          credentialskey::kCipherKey);
        state.DD = numeroSerieVolumen(QDir::currentPath().left(1));
        result = !state.Usuario.isEmpty() && !state.Contrasenya.isEmpty() && !state.DD.isEmpty();
        log(result ? QStringLiteral("Existen datos de usuario en el sistema. ")
                   : QStringLiteral("NO Existen datos de usuario registrados en el sistema. Datos incorrectos. "));
    }
    key.close();
    log(QStringLiteral("Fin de consulta de datos de usuario guardados en el sistema."));
    return result;
}
