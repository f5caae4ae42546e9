#include "filelock.h"

#include "paths.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform {

FileLock::FileLock(const QString &lockFilePath, Wait wait)
{
    if (!openFile(lockFilePath))
        return;
    const int error = lock(LOCK_EX | (wait == Wait::DontBlock ? LOCK_NB : 0));
    m_state = error == 0 ? State::Locked : error == EWOULDBLOCK ? State::Busy : State::Failed;
}

FileLock::FileLock(const QString &lockFilePath, std::chrono::milliseconds timeout)
{
    if (!openFile(lockFilePath))
        return;
    // flock has no time-out of its own: try again in short steps while the holder keeps it.
    constexpr std::chrono::milliseconds kStep(20);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int error;
    while ((error = lock(LOCK_EX | LOCK_NB)) == EWOULDBLOCK && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(kStep);
    m_state = error == 0 ? State::Locked : error == EWOULDBLOCK ? State::Busy : State::Failed;
}

bool FileLock::openFile(const QString &lockFilePath)
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
    return m_fd >= 0;
}

int FileLock::lock(int operation)
{
    int rc;
    do {
        rc = flock(m_fd, operation);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
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
