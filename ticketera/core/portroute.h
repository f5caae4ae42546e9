#pragma once

#include "portdevice.h"
#include "printtypes.h"

// Prints a ticket's texts raw to a port: each line in the code page followed by CR LF.
class PortRoute {
public:
    explicit PortRoute(platform::PortDevice::NameMap portNames);
    // Raises InputOutputError when the port cannot be opened, written or closed.
    void imprimir(const QString &puerto, const TicketLines &ticket);

private:
    platform::PortDevice::NameMap m_portNames;
};
