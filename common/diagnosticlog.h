#pragma once

#include <QDateTime>
#include <QString>
#include <mutex>

// One program's diagnostic log in the work directory: time-stamped lines in the code page,
// one previous generation ".1", serialised across the threads and processes of one program.
class DiagnosticLog {
public:
    static constexpr qint64 kRotationSize = 1048576;

    explicit DiagnosticLog(QString fileName);

    // Never fails towards the caller: a line that cannot be written is lost silently.
    void write(const QString &message) const noexcept;

    QString filePath() const;
    // "[05/mar/2014, 09:07::03-045] " with the locale's month abbreviation.
    static QString linePrefix(const QDateTime &when);
    // Held while a line is written by any thread of the process.
    static std::mutex &writerMutex();

private:
    QString m_fileName;
};
