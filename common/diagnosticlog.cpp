#include "diagnosticlog.h"

#include "codepage.h"
#include "filelock.h"
#include "paths.h"
#include "regionalsettings.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString twoDigits(int n)
{
    return QString::number(n).rightJustified(2, u'0');
}

void appendLine(const QByteArray &path, const QByteArray &line)
{
    const int fd = open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return;
    const char *p = line.constData();
    qsizetype left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        p += n;
        left -= n;
    }
    close(fd);
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
        const QString lockPath = platform::FileLock::pathFor(platform::executablePath());
        std::optional<platform::FileLock> lock(std::in_place, lockPath);
        if (!lock->isLocked()) {
            // The lock lives in the log's directory: create it when it is missing and try again.
            lock.reset();
            platform::ensureWorkDirectory();
            lock.emplace(lockPath);
            if (!lock->isLocked())
                return;
        }

        const QByteArray path = QFile::encodeName(filePath());
        struct stat st;
        if (stat(path.constData(), &st) == 0 && st.st_size > kRotationSize)
            rename(path.constData(), (path + ".1").constData());
        appendLine(path, line);
    } catch (...) {
        // The log never disturbs its caller.
    }
}
