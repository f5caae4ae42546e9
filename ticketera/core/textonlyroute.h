#pragma once

#include "printtypes.h"

namespace platform {
class PrintSpooler;
}

// Prints a ticket's texts on a text-only printer: one raw job of code page lines ended by
// CR LF; the printer lays the text out itself.
class TextOnlyRoute {
public:
    explicit TextOnlyRoute(platform::PrintSpooler &spooler);
    // Raises PrinterError when the queue does not take the job.
    void imprimir(const QString &queue, const TicketLines &ticket);

private:
    platform::PrintSpooler &m_spooler;
};
