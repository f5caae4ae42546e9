#pragma once

#include <QByteArray>
#include <QHash>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A private CUPS scheduler for the printing tests: its own configuration, spool and logs in a
// temporary directory, listening on 127.0.0.1 only. Programs under test reach it through
// environment(). Root only (cupsd must run its backends); otherwise skipReason() says why.
class CupsServer {
public:
    CupsServer();
    ~CupsServer();
    CupsServer(const CupsServer &) = delete;
    CupsServer &operator=(const CupsServer &) = delete;

    bool isRunning() const { return m_pid > 0; }
    QString skipReason() const { return m_skipReason; }
    QString address() const; // "127.0.0.1:PORT"
    QProcessEnvironment environment() const;

    // A raw queue whose device is socket://127.0.0.1:<port> of a listener this object owns.
    void addRawQueue(const QString &name, const QString &description);
    // The bytes of the next job the queue delivered, or empty after the time-out.
    QByteArray takeRawJob(const QString &name, int timeoutMs = 15000);

    // A queue printing to PDF files (cups-pdf) in a directory of this object.
    void addPdfQueue(const QString &name, const QString &description);
    // Waits until `count` PDF files were written; returns their paths, oldest first.
    QStringList waitForPdfs(int count, int timeoutMs = 30000) const;

    // Runs lpadmin, lp or lpstat against this server; returns the exit code.
    int runClient(const QString &program, const QStringList &arguments, QByteArray *output = nullptr) const;

private:
    class RawListener;

    QTemporaryDir m_dir;
    qint64 m_pid = -1;
    int m_port = 0;
    QString m_skipReason;
    QHash<QString, std::shared_ptr<RawListener>> m_listeners;
    QStringList m_pdfConfigs;
};
