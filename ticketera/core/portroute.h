#pragma once

#include "filelock.h"
#include "portdevice.h"
#include "printtypes.h"

#include <chrono>
#include <optional>

// Prints a job's tickets raw to a port: each line in the code page followed by CR LF. The job
// holds the port from its first ticket to its end, so that another job started at the same time
// (a double click on the print button) prints after it, not between its lines. A lock that
// cannot be taken at all (its name taken by something else) does not stop the job: it prints
// without it, and the log says so.
class PortRoute {
public:
    // How long a job waits for the port while another job holds it.
    static constexpr std::chrono::milliseconds kPortWait{30000};

    explicit PortRoute(platform::PortDevice::NameMap portNames, std::chrono::milliseconds portWait = kPortWait);
    // Raises InputOutputError when the port cannot be opened, written or closed, or stays held
    // by another job for longer than the wait.
    void imprimir(const QString &puerto, const TicketLines &ticket);

private:
    void holdPort(const QString &devicePath);

    platform::PortDevice::NameMap m_portNames;
    std::chrono::milliseconds m_portWait;
    std::optional<platform::FileLock> m_portLock;
};
