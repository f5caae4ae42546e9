#pragma once

#include <chrono>
#include <httplib.h>
#include <openssl/ssl.h>
#include <string>

// One accepted connection, plain or TLS, as the HTTP layer's stream. It keeps the bytes of the
// current request exactly as they arrived, so the request can be recorded byte for byte.
class Connection : public httplib::Stream {
public:
    Connection(int socket, std::chrono::milliseconds readTimeout);
    ~Connection() override;
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // TLS handshake as the server; false when the client gave up or spoke no acceptable TLS.
    bool acceptTls(SSL_CTX *context);
    bool isTls() const { return m_ssl != nullptr; }

    // Waits up to `wait` for the first byte of another request.
    bool waitForRequest(std::chrono::milliseconds wait);
    // Forgets what the previous request sent; the current one starts with the next byte.
    void startRequest() { m_captured.clear(); }
    const std::string &captured() const { return m_captured; }
    // Blocks until the client closes the connection or `wait` has passed; true when it closed.
    bool waitForClientToLeave(std::chrono::milliseconds wait) const;
    // Breaks the connection off: nothing more is written, and it ends with a reset.
    void reset();

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char *data, size_t size) override;
    ssize_t write(const char *data, size_t size) override;
    void get_remote_ip_and_port(std::string &ip, int &port) const override;
    void get_local_ip_and_port(std::string &ip, int &port) const override;
    socket_t socket() const override { return m_socket; }

private:
    bool waitReadable(std::chrono::milliseconds wait) const;

    int m_socket;
    SSL *m_ssl = nullptr;
    std::chrono::milliseconds m_readTimeout;
    char m_buffer[4096];
    size_t m_begin = 0;
    size_t m_end = 0;
    std::string m_captured;
    bool m_reset = false;
};
