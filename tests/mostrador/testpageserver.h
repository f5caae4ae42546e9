#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace httplib {
class SSLServer;
}

// An HTTPS server on 127.0.0.1 with a self-signed certificate made for the test (for
// "localhost", so the address does not match either). Its page reports what happens in it
// (loaded, its size, mouse buttons, context menu) back to the server as requests to /event?name=...
// Its shop page ("tienda") reports the keys it receives ("keys:" and every key so far), and
// offers files for download.
class TestPageServer {
public:
    TestPageServer();
    ~TestPageServer();
    TestPageServer(const TestPageServer &) = delete;
    TestPageServer &operator=(const TestPageServer &) = delete;

    QString url() const;
    QStringList events() const;
    QByteArray userAgent() const;

    // A file offered for download under the server's suggested `name`, with `mimeType`; its
    // content is downloadContent(name). Held: the body waits for release(name). Cut: the
    // connection drops halfway through.
    enum class Delivery { AtOnce, Held, Cut };
    QString downloadUrl(const QString &name, const QString &mimeType, Delivery delivery = Delivery::AtOnce) const;
    static QByteArray downloadContent(const QString &name);
    void release(const QString &name);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<httplib::SSLServer> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    QStringList m_releasedNames;
    QStringList m_cutNames;
    bool m_stopping = false;
    QStringList m_events;
    QByteArray m_userAgent;
};
