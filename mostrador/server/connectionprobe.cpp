#include "connectionprobe.h"

#include "addressbook.h"
#include "configsys.h"
#include "httpclient.h"
#include "httperror.h"
#include "logtext.h"
#include "storedserveraddress.h"

namespace {

struct KindMessages {
    int kind;
    QString fromSettings;
    QString byDefault;
    QString beforeRequest;
    QString onFailure;
};

const KindMessages kOrder[] = {
    {2, QStringLiteral("IP. Conseguir URL aplicacion Web desde fichero INI: "),
     QStringLiteral("IP. Conseguir URL aplicacion Web por defecto: "), QStringLiteral("Probar conexion por IP. URL: "),
     QStringLiteral("Conexion por IP. Excepcion mensaje: ")},
    {1, QStringLiteral("Dominio con WWW. Conseguir URL aplicacion Web desde fichero INI: "),
     QStringLiteral("Dominio con WWW. Conseguir URL aplicacion Web por defecto: "),
     QStringLiteral("Probar conexion por Dominio con WWW. URL: "),
     QStringLiteral("Conexion por Dominio con WWW. Excepcion mensaje: ")},
    {0, QStringLiteral("Dominio sin WWW. Conseguir URL aplicacion Web desde fichero INI: "),
     QStringLiteral("Dominio sin WWW. Conseguir URL aplicacion Web por defecto: "),
     QStringLiteral("Probar conexion por Dominio sin WWW. URL:"),
     QStringLiteral("Conexion por Dominio sin WWW. Excepcion mensaje: ")},
};

// Redirects are followed only while the probe runs, however it ends.
class FollowRedirectsWhileProbing {
public:
    explicit FollowRedirectsWhileProbing(HttpClient &client) : m_client(client) { m_client.setFollowRedirects(true); }
    ~FollowRedirectsWhileProbing() { m_client.setFollowRedirects(false); }
    FollowRedirectsWhileProbing(const FollowRedirectsWhileProbing &) = delete;
    FollowRedirectsWhileProbing &operator=(const FollowRedirectsWhileProbing &) = delete;

private:
    HttpClient &m_client;
};

} // namespace

int consultarTipoConexion(HttpClient &IdHTTP1, const QString &dirApp, MostradorLogSwitches logSwitches)
{
    logSwitches.logGeneral(QStringLiteral("Inicio de consultar el tipo de conexion."));
    IdHTTP1.setReadTimeout(5000);
    int kind = 0;
    {
        const FollowRedirectsWhileProbing guard(IdHTTP1);
        for (const KindMessages &row : kOrder) {
            kind = row.kind;
            const QString stored = leerIpConfig(dirApp, kSettingsFile);
            QString url;
            if (!stored.isEmpty()) {
                url = addressbook::urlLoginDesdeIp(addressbook::kIndice, QStringLiteral("http://"), kind, stored);
                logSwitches.logGeneral(row.fromSettings + url);
            } else {
                url = addressbook::urlLoginPorDefecto(addressbook::kIndice, addressbook::kConjunto, kind);
                logSwitches.logGeneral(row.byDefault + url);
            }
            logSwitches.logGeneral(row.beforeRequest + url);
            try {
                IdHTTP1.post(url, {QString()});
                break;
            } catch (const HttpError &e) {
                logSwitches.logGeneral(row.onFailure + logText(e.message()));
            }
        }
        logSwitches.logGeneral(QStringLiteral("Fin de consultar el tipo de conexion. Tipo conexion a usar: ") +
                               QString::number(kind));
    }
    return kind;
}
