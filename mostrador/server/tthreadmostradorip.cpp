#include "tthreadmostradorip.h"

#include "configsys.h"
#include "httpclient.h"
#include "storedserveraddress.h"
#include "zelvoraerror.h"

#include <memory>
#include <thread>

TThreadMostradorIp::TThreadMostradorIp(QString dirApp, MostradorLogSwitches logSwitches)
    : m_dirApp(std::move(dirApp)), m_logSwitches(logSwitches)
{
}

void TThreadMostradorIp::Execute()
{
    m_logSwitches.logGeneral(QStringLiteral("HILO: Inicio del Hilo de consulta de nueva IP de conexión al servidor"));
    const QString address =
        direccionServidor(m_dirApp, kSettingsFile, QStringLiteral("HILO: Conseguir la IP de conexion del fichero INI. Ip: "),
                          QStringLiteral("HILO: Conseguir la IP de conexion por defecto. Ip: "), m_logSwitches);
    const QString url = QStringLiteral("http://") + address + QStringLiteral("/VANTO/mostradorIp.htm");

    try {
        m_logSwitches.logGeneral(QStringLiteral("HILO: Peticion para consultar la IP al servidor. URL: ") + url);
        QString answer;
        {
            HttpClient client(HttpClient::Kind::Private, 5000, true);
            answer = client.post(url, {QString()});
        }
        // A line break or blanks around the address are not part of it; a proxy's or captive
        // portal's page is no address at all and would leave every later URL malformed.
        answer = answer.trimmed();
        if (answer.isEmpty()) {
            m_logSwitches.logGeneral(
                QStringLiteral("HILO: ERROR. Fallo en la peticion de consulta de IP al servidor. Respuesta no valida: es vacia."));
        } else if (!esDireccionServidor(answer)) {
            m_logSwitches.logGeneral(QStringLiteral("HILO: ERROR. Fallo en la peticion de consulta de IP al servidor. "
                                                    "Respuesta no valida: no es una direccion de servidor."));
        } else if (answer != leerIpConfig(m_dirApp, kSettingsFile)) {
            m_logSwitches.logGeneral(
                QStringLiteral("HILO: Nueva IP de conexion en el servidor. Se guarda en fichero INI. IP nueva: ") + answer);
            guardarIpConfig(m_dirApp, kSettingsFile, answer);
        }
    } catch (const std::exception &) {
        m_logSwitches.logGeneral(
            QStringLiteral("HILO: ERROR. Fallo en la peticion para consultar la IP al servidor. Fallo al conectar con URL: ") +
            url);
    }
    m_logSwitches.logGeneral(QStringLiteral("HILO:Fin del Hilo de consulta de nueva IP de conexión al servidor"));
}

void lanzarHiloIp(const QString &dirApp, MostradorLogSwitches logSwitches)
{
    auto hilo = std::make_unique<TThreadMostradorIp>(dirApp, logSwitches);
    std::thread([hilo = std::move(hilo)] { hilo->Execute(); }).detach();
}
