#include "diagnosticlog.h"

#include "codepage.h"
#include "filelock.h"
#include "paths.h"
#include "regionalsettings.h"
#include "sharedlog.h"

#include <mutex>

namespace {

QString twoDigits(int n)
{
    return QString::number(n).rightJustified(2, u'0');
}

} // namespace

DiagnosticLog::DiagnosticLog(QString fileName) : m_fileName(std::move(fileName)) {}

QString DiagnosticLog::filePath() const
{
    return platform::workDirectory() + u'/' + m_fileName;
}

QString DiagnosticLog::linePrefix(const QDateTime &when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return u'[' + twoDigits(d.day()) + u'/' + platform::abbreviatedMonthName(d.month()) + u'/' +
           QString::number(d.year()).rightJustified(4, u'0') + QStringLiteral(", ") + twoDigits(t.hour()) + u':' +
           twoDigits(t.minute()) + QStringLiteral("::") + twoDigits(t.second()) + u'-' +
           QString::number(t.msec()).rightJustified(3, u'0') + QStringLiteral("] ");
}

std::mutex &DiagnosticLog::writerMutex()
{
    static std::mutex threads;
    return threads;
}

void DiagnosticLog::write(const QString &message) const noexcept
{
    try {
        QByteArray line = CodePage::fromUnicode(linePrefix(QDateTime::currentDateTime()) + message);
        line += "\r\n";

        // Threads queue here first; the file lock then orders the processes.
        const std::lock_guard<std::mutex> threadGuard(writerMutex());
        // A directory another user could have prepared gets none of our lines, nor our lock.
        if (!platform::workDirectoryIsSafe() && !(platform::ensureWorkDirectory() && platform::workDirectoryIsSafe()))
            return;
        const platform::FileLock lock(platform::FileLock::pathFor(platform::executablePath()));
        if (lock.isLocked())
            platform::appendToSharedLog(filePath(), line, kRotationSize);
    } catch (...) {
        // The log never disturbs its caller.
    }
}
