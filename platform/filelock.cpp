#include "filelock.h"

#include "paths.h"
#include "regularfile.h"

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
    setState(lock(LOCK_EX | (wait == Wait::DontBlock ? LOCK_NB : 0)));
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
    setState(error);
}

void FileLock::setState(int error)
{
    m_error = error;
    m_state = error == 0 ? State::Locked : error == EWOULDBLOCK ? State::Busy : State::Failed;
}

bool FileLock::openFile(const QString &lockFilePath)
{
    // Anyone may plant something under the name in the shared work directory: whatever is not a
    // plain file fails the lock at once, never waits for a writer, and keeps its mode.
    const QByteArray path = QFile::encodeName(lockFilePath);
    struct stat st;
    m_fd = openSharedFile(path, O_RDWR, st);
    // Another user's lock file we may only read: flock works on it all the same.
    if (m_fd < 0 && errno == EACCES)
        m_fd = openSharedFile(path, O_RDONLY, st);
    m_error = m_fd < 0 ? errno : 0;
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
