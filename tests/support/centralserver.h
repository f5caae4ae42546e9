#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <utility>

// One request as the central server received it.
struct RecordedRequest {
    QString scheme;  // "http" or "https"
    QByteArray head; // request line and header lines exactly as they arrived, with the empty line
    QByteArray body;

    QByteArray method() const;
    QByteArray target() const;
    // Every header line in order, name as sent, value without the blanks around it.
    QList<std::pair<QByteArray, QByteArray>> headers() const;
    // The first header of that name (any case); null when there is none.
    QByteArray header(const QByteArray &name) const;
};

// The local central server (tools/centralserver) as a child process on ports of the system's
// choosing, recording every request into a file of this object; stopped with the object.
// `arguments` go to its command line (routes, answers); give --http-port / --https-port to fix
// the ports.
class CentralServer {
public:
    explicit CentralServer(const QByteArrayList &arguments = {});
    ~CentralServer();
    CentralServer(const CentralServer &) = delete;
    CentralServer &operator=(const CentralServer &) = delete;

    int httpPort() const { return m_httpPort; }
    int httpsPort() const { return m_httpsPort; }
    QString httpUrl() const;  // "http://127.0.0.1:PORT"
    QString httpsUrl() const; // "https://127.0.0.1:PORT"

    // Every request received so far, oldest first. A request is recorded before it is answered.
    QList<RecordedRequest> requests() const;

private:
    QTemporaryDir m_dir;
    qint64 m_pid = -1;
    int m_httpPort = 0;
    int m_httpsPort = 0;
};
