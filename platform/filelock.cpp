#include "filelock.h"

#include "paths.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FileLock::FileLock(const QString &lockFilePath, Wait wait)
{
    const QByteArray path = QFile::encodeName(lockFilePath);
    m_fd = open(path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (m_fd < 0 && errno == ENOENT) {
        m_fd = open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        // Several users' programs share the lock: keep it writable for all despite the umask.
        if (m_fd >= 0)
            fchmod(m_fd, 0666);
    } else if (m_fd < 0 && errno == EACCES) {
        // Another user's lock file we may only read: flock works on it all the same.
        m_fd = open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    if (m_fd < 0)
        return;
    const int operation = LOCK_EX | (wait == Wait::DontBlock ? LOCK_NB : 0);
    int rc;
    do {
        rc = flock(m_fd, operation);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0)
        m_state = State::Locked;
    else
        m_state = errno == EWOULDBLOCK ? State::Busy : State::Failed;
}

FileLock::~FileLock()
{
    if (m_fd >= 0)
        close(m_fd); // closing the last descriptor releases the lock
}

QString FileLock::pathFor(const QString &subject)
{
    // FNV-1a: stable across processes and builds, unlike qHash.
    quint64 hash = 14695981039346656037ULL;
    for (char byte : QFile::encodeName(subject)) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ULL;
    }
    const QString base = subject.mid(subject.lastIndexOf(u'/') + 1);
    return workDirectory() + u'/' + base + u'-' + QString::number(hash, 16).rightJustified(16, u'0') +
           QStringLiteral(".lock");
}

} // namespace platform
