#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

class InstalledCopy;

// One run of Mostrador (or its test build) from an installed copy, on a private X server, with
// its own runtime, home and XDG directories below the copy. Whatever is left of its process
// tree is killed with the object.
class Kiosk {
public:
    Kiosk(const InstalledCopy &copy, const QString &display, const QString &program = QStringLiteral("Mostrador"),
          const QProcessEnvironment &extra = {}, const QStringList &wrapper = {});
    ~Kiosk();
    Kiosk(const Kiosk &) = delete;
    Kiosk &operator=(const Kiosk &) = delete;

    qint64 pid() const { return m_pid; }
    bool waitForExit(int timeoutMs = 20000);
    int exitCode() const;
    // What the program printed so far.
    QByteArray standardOutput();
    // Waits until the standard output holds `needle`.
    bool waitForOutput(const QByteArray &needle, int timeoutMs = 30000);
    QByteArray standardError();
    // Sends SIGKILL to the main process only and waits until it has ended (its browser's
    // processes are ended with the object); false when it did not end.
    bool killMain();

    static QString runtimeDir(const InstalledCopy &copy);
    static QString homeDir(const InstalledCopy &copy);
    static QString lockPath(const InstalledCopy &copy);

private:
    QProcess m_process;
    qint64 m_pid = 0;
    QString m_path;
    QList<qint64> m_orphans; // what the main process left running when it was killed
    QByteArray m_stdout;
    QByteArray m_stderr;
};
