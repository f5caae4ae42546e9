#pragma once

#include "printtypes.h"

#include <functional>

namespace platform {
class PrintSpooler;
}

// Prints a ticket's texts on a text-only printer: one raw job of code page lines ended by
// CR LF; the printer lays the text out itself.
class TextOnlyRoute {
public:
    // The configured printer's queue, and the spooler that knows it: asked for after the route
    // has logged its start, so a printer that cannot be found leaves that line all the same.
    using QueueLookup = std::function<QString()>;
    using SpoolerLookup = std::function<platform::PrintSpooler &()>;

    TextOnlyRoute(QueueLookup queue, SpoolerLookup spooler);
    // Raises what the lookups raise, or PrinterError when the queue does not take the job.
    void imprimir(const TicketLines &ticket);

private:
    QueueLookup m_queue;
    SpoolerLookup m_spooler;
};
