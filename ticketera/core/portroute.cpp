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
    m_portLock.emplace(platform::PortDevice::lockPathFor(devicePath), m_portWait);
    // Without a lock file (a work directory nobody may write) the job prints all the same.
    if (m_portLock->state() == platform::FileLock::State::Busy)
        throw InputOutputError(EBUSY, platform::PortDevice::errorText(EBUSY), devicePath);
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
