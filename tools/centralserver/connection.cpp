#include "connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

void describe(const sockaddr_storage &address, std::string &ip, int &port)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto &v4 = reinterpret_cast<const sockaddr_in &>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto &v6 = reinterpret_cast<const sockaddr_in6 &>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

} // namespace

Connection::Connection(int socket, std::chrono::milliseconds readTimeout) : m_socket(socket), m_readTimeout(readTimeout)
{
    // Bounds the blocking reads and writes inside the TLS library as well.
    const timeval limit{static_cast<time_t>(readTimeout.count() / 1000),
                        static_cast<suseconds_t>(readTimeout.count() % 1000 * 1000)};
    setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(m_socket, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    // Answers go out in several small writes; none should wait for the client's acknowledgement.
    const int on = 1;
    setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

Connection::~Connection()
{
    if (m_ssl) {
        if (!m_reset)
            SSL_shutdown(m_ssl);
        SSL_free(m_ssl);
    }
    if (!m_reset)
        shutdown(m_socket, SHUT_RDWR);
    close(m_socket);
}

bool Connection::acceptTls(SSL_CTX *context)
{
    m_ssl = SSL_new(context);
    if (!m_ssl || SSL_set_fd(m_ssl, m_socket) != 1 || SSL_accept(m_ssl) != 1) {
        SSL_free(m_ssl);
        m_ssl = nullptr;
        return false;
    }
    return true;
}

bool Connection::waitReadable(std::chrono::milliseconds wait) const
{
    if (m_begin < m_end || (m_ssl && SSL_pending(m_ssl) > 0))
        return true;
    pollfd descriptor{m_socket, POLLIN, 0};
    return poll(&descriptor, 1, static_cast<int>(wait.count())) > 0;
}

bool Connection::waitForRequest(std::chrono::milliseconds wait)
{
    return waitReadable(wait);
}

bool Connection::waitForClientToLeave(std::chrono::milliseconds wait) const
{
    pollfd descriptor{m_socket, POLLRDHUP, 0};
    return poll(&descriptor, 1, static_cast<int>(wait.count())) > 0;
}

void Connection::reset()
{
    // Closed with a linger time of zero, the socket sends a reset instead of the orderly end.
    const linger abort{1, 0};
    setsockopt(m_socket, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    m_reset = true;
}

bool Connection::is_readable() const
{
    return waitReadable(m_readTimeout);
}

bool Connection::is_writable() const
{
    pollfd descriptor{m_socket, POLLOUT, 0};
    return poll(&descriptor, 1, static_cast<int>(m_readTimeout.count())) > 0 && !(descriptor.revents & (POLLERR | POLLHUP));
}

ssize_t Connection::read(char *data, size_t size)
{
    if (m_begin == m_end) {
        if (!waitReadable(m_readTimeout))
            return -1;
        const ssize_t got = m_ssl ? SSL_read(m_ssl, m_buffer, sizeof m_buffer)
                                  : recv(m_socket, m_buffer, sizeof m_buffer, 0);
        if (got <= 0)
            return got < 0 ? -1 : 0;
        m_begin = 0;
        m_end = static_cast<size_t>(got);
    }
    const size_t count = std::min(size, m_end - m_begin);
    std::copy(m_buffer + m_begin, m_buffer + m_begin + count, data);
    m_captured.append(m_buffer + m_begin, count);
    m_begin += count;
    return static_cast<ssize_t>(count);
}

ssize_t Connection::write(const char *data, size_t size)
{
    if (m_reset)
        return -1;
    size_t done = 0;
    while (done < size) {
        const ssize_t sent = m_ssl ? SSL_write(m_ssl, data + done, static_cast<int>(size - done))
                                   : send(m_socket, data + done, size - done, MSG_NOSIGNAL);
        if (sent <= 0)
            return -1;
        done += static_cast<size_t>(sent);
    }
    return static_cast<ssize_t>(size);
}

void Connection::get_remote_ip_and_port(std::string &ip, int &port) const
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getpeername(m_socket, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        describe(address, ip, port);
}

void Connection::get_local_ip_and_port(std::string &ip, int &port) const
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        describe(address, ip, port);
}
