#include "versioncheck.h"

#include "configsys.h"
#include "httpclient.h"
#include "httperror.h"
#include "integertext.h"
#include "logtext.h"
#include "processhelpers.h"
#include "storedserveraddress.h"

namespace {

QString firstAndThird(const QString &text)
{
    return text.left(1) + text.mid(2, 1);
}

} // namespace

bool comprobarActualizaciones(const QString &dirApp, MostradorLogSwitches logSwitches)
{
    return comprobarActualizaciones(dirApp, logSwitches, versionEjecutable());
}

bool comprobarActualizaciones(const QString &dirApp, MostradorLogSwitches logSwitches, const QString &ownVersion)
{
    bool result = false;
    logSwitches.logGeneral(QStringLiteral("Inicio de la comprobacion de actualizaciones."));
    const QString own = firstAndThird(ownVersion);
    const int n = toInteger(own);
    logSwitches.logGeneral(QStringLiteral("Consultar la version de Mostrador. Version ejecutable: ") + own);

    const QString address = direccionServidor(dirApp, kSettingsFile,
                                              QStringLiteral("Leer la Ip de conexion del fichero INI. IP: "),
                                              QStringLiteral("Conseguir la IP de conexion por defecto. IP: "), logSwitches);
    const QString url = QStringLiteral("http://") + address + QStringLiteral("/VANTO/mostradorVersion.htm");
    logSwitches.logGeneral(QStringLiteral("Peticion al servidor de la version de actualizacion. URL: ") + url);

    const QString failure =
        QStringLiteral("ERROR. Fallo al consultar las ultima version de Mostrador en el servidor. Fallo en la conexion a: ") +
        url;
    QString server;
    try {
        HttpClient client(HttpClient::Kind::Private, 7000, true);
        const QString answer = client.post(url, {QString()});
        if (!answer.isEmpty()) {
            server = firstAndThird(answer);
            logSwitches.logGeneral(QStringLiteral("Respuesta de la version de Mostrador del servidor:") + logText(server));
            if (const std::optional<int> number = parseInteger(server))
                result = n < *number;
            else
                logSwitches.logGeneral(failure);
        }
    } catch (const HttpError &) {
        logSwitches.logGeneral(failure);
    }
    if (result)
        logSwitches.logMilestone(QStringLiteral("Es necesario actualizar Mostrador a la nueva version:") + logText(server));
    logSwitches.logGeneral(QStringLiteral("Fin de la comprobacion de actualizaciones "));
    return result;
}
