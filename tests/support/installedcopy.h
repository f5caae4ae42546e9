#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A private copy of the installed programs (from the build's stage directory) in a temporary
// directory, with its own work directory, so each test has its own settings file and log.
class InstalledCopy {
public:
    struct Result {
        int exitCode = -1;
        bool finished = false;
        QByteArray standardOutput;
        QByteArray standardError;
        qint64 milliseconds = 0;
    };

    InstalledCopy();

    QString appDir() const;  // ends in "/"
    QString workDir() const; // what ZELVORA_TEMP_DIR points at
    QString root() const { return m_dir.path(); }

    void writeFile(const QString &relativePath, const QByteArray &content) const;
    void writeSettings(const QByteArray &content) const { writeFile(QStringLiteral("Ticketera.ini"), content); }
    // Puts a test build of a program (`builtPath`) into the copy under its own file name, beside
    // the real programs; returns that name.
    QString addProgram(const QString &builtPath) const;
    // Stores the server address the programs use in the copy's settings file, as Mostrador
    // stores it; an address that enciphers into printable characters without blanks, as those of
    // digits, ".", ":" and "-" do ("127.0.0.1:8080") and some in capitals ("CENTRAL.TEST:8080").
    void storeServerAddress(const QString &address) const;
    QByteArray readFile(const QString &relativePath) const;

    // Starts a program of the copy (or an absolute path) with ZELVORA_TEMP_DIR set;
    // `environment` adds or overrides variables.
    void start(QProcess &process, const QString &program, const QStringList &arguments,
               const QProcessEnvironment &environment = QProcessEnvironment()) const;
    // start(), then waits for the end.
    Result run(const QString &program, const QStringList &arguments,
               const QProcessEnvironment &environment = QProcessEnvironment(), int timeoutMs = 30000) const;
    // The program's log, decoded from the code page, split into lines (CR LF kept apart).
    QString log(const QString &fileName = QStringLiteral("Ticketera.log")) const;

    static QString stageDir();

private:
    QTemporaryDir m_dir;
};
