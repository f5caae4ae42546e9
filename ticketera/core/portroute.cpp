#include "portroute.h"

#include "logswitches.h"
#include "inputoutputerror.h"
#include "logtext.h"
#include "tpuertoserialparalelo.h"

#include <cerrno>
#include <exception>

PortRoute::PortRoute(platform::PortDevice::NameMap portNames, std::chrono::milliseconds portWait)
    : m_portNames(std::move(portNames)), m_portWait(portWait)
{
}

void PortRoute::holdPort(const QString &devicePath)
{
    if (m_portLock)
        return;
    const QString lockPath = platform::PortDevice::lockPathFor(devicePath);
    m_portLock.emplace(lockPath, platform::FileLock::Wait::DontBlock);
    if (m_portLock->state() == platform::FileLock::State::Busy) {
        logMilestone(QStringLiteral("Puerto ocupado por otro trabajo, se espera hasta %1 s: ")
                         .arg(m_portWait.count() / 1000.0) +
                     logText(devicePath));
        m_portLock.emplace(lockPath, m_portWait);
    }
    if (m_portLock->state() == platform::FileLock::State::Busy)
        throw InputOutputError(EBUSY, platform::PortDevice::errorText(EBUSY), devicePath);
    if (m_portLock->state() == platform::FileLock::State::Failed) {
        // Better a ticket whose lines may mix with another job's than no ticket: the log says why.
        const int error = m_portLock->error();
        logMilestone(QStringLiteral("AVISO: se imprime sin el bloqueo del puerto ") + logText(devicePath) +
                     QStringLiteral(": el fichero de bloqueo ") + logText(lockPath) +
                     (error == EINVAL ? QStringLiteral(" no es un fichero normal")
                                      : QStringLiteral(" no se puede usar (") + platform::PortDevice::errorText(error) +
                                            u')'));
    }
}

void PortRoute::imprimir(const QString &puerto, const TicketLines &ticket)
{
    logMilestone(QStringLiteral("Impresion directo a puerto: ") + logText(puerto));
    holdPort(platform::PortDevice::resolveName(puerto, m_portNames));
    TPuertoSerialParalelo port(m_portNames);
    const bool opened = port.abrirPuerto(puerto) == 1;
    try {
        if (opened) {
            logMilestone(QStringLiteral("Impresion directo a puerto de lineas: %1").arg(ticket.TicketLineasBefore.size()));
            for (const QString &line : ticket.TicketLineasBefore)
                port.escribirPuerto(line);
            logMilestone(QStringLiteral("Impresion directo a puerto de lineas: %1").arg(ticket.TicketLineasAfter.size()));
            for (const QString &line : ticket.TicketLineasAfter)
                port.escribirPuerto(line);
            logMilestone(QStringLiteral("Termino de impresion por puerto"));
        }
    } catch (...) {
        // Close what was opened; the write failure is the one to report.
        try {
            port.cerrarPuerto();
        } catch (...) {
        }
        throw;
    }
    port.cerrarPuerto();
}
