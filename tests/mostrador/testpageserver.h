#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <mutex>
#include <thread>

namespace httplib {
class SSLServer;
}

// An HTTPS server on 127.0.0.1 with a self-signed certificate made for the test (for
// "localhost", so the address does not match either). Its page reports what happens in it
// (loaded, its size, mouse buttons, context menu) back to the server as requests to /event?name=...
class TestPageServer {
public:
    TestPageServer();
    ~TestPageServer();
    TestPageServer(const TestPageServer &) = delete;
    TestPageServer &operator=(const TestPageServer &) = delete;

    QString url() const;
    QStringList events() const;
    QByteArray userAgent() const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<httplib::SSLServer> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    QStringList m_events;
    QByteArray m_userAgent;
};
