#include "droppingport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

DroppingPort::Socket::Socket(int flags) : descriptor(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | flags, 0)) {}

DroppingPort::Socket::~Socket()
{
    if (descriptor >= 0)
        close(descriptor);
}

DroppingPort::DroppingPort(Behaviour behaviour) : m_listener(0), m_queued(SOCK_NONBLOCK)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const auto name = reinterpret_cast<sockaddr *>(&address);
    const bool silent = behaviour == Behaviour::Silent;
    if (bind(m_listener.descriptor, name, sizeof address) != 0 || listen(m_listener.descriptor, silent ? 8 : 0) != 0
        || getsockname(m_listener.descriptor, name, &length) != 0)
        throw std::runtime_error("no listening socket");
    m_port = ntohs(address.sin_port);
    // The system completes connections into the queue; nobody ever accepts them.
    if (silent)
        return;
    // A backlog of 0 holds one connection; once it is in, the queue is full.
    connect(m_queued.descriptor, name, sizeof address);
    pollfd connected{m_queued.descriptor, POLLOUT, 0};
    if (poll(&connected, 1, 5000) != 1)
        throw std::runtime_error("the queue does not fill");
}
