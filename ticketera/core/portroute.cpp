#include "portroute.h"

#include "logswitches.h"
#include "logtext.h"
#include "tpuertoserialparalelo.h"

#include <exception>

PortRoute::PortRoute(platform::PortDevice::NameMap portNames) : m_portNames(std::move(portNames)) {}

void PortRoute::imprimir(const QString &puerto, const TicketLines &ticket)
{
    logMilestone(QStringLiteral("Impresion directo a puerto: ") + logText(puerto));
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
