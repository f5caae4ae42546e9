#include "regularfile.h"

#include "filedescriptor.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int readRegularFile(const QString &path, qint64 maxBytes, QByteArray *content)
{
    const QByteArray name = QFile::encodeName(path);
    // Looked at before it is opened, so that no FIFO ever gets a reader; checked again on the
    // descriptor, in case the name changed in between.
    struct stat st;
    if (stat(name.constData(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    const FileDescriptor fd(open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        return errno;
    return readOpenRegularFile(fd.get(), maxBytes, content);
}

int readOpenRegularFile(int fd, qint64 maxBytes, QByteArray *content)
{
    struct stat st;
    if (fstat(fd, &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    if (st.st_size > maxBytes)
        return EFBIG;
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        if (bytes.size() + n > maxBytes)
            return EFBIG; // it grew while being read
        bytes.append(buffer, n);
    }
    *content = std::move(bytes);
    return 0;
}

bool isOwnRegularFile(const QString &path)
{
    struct stat st;
    return lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() &&
           st.st_nlink == 1;
}

int openSharedFile(const QByteArray &path, int access, struct stat &st)
{
    const int flags = access | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = open(path.constData(), flags);
    if (fd < 0 && errno == ENOENT) {
        fd = open(path.constData(), flags | O_CREAT | O_EXCL, 0666);
        if (fd >= 0)
            fchmod(fd, 0666); // the umask would keep the other users out
        else if (errno == EEXIST)
            fd = open(path.constData(), flags); // another program made it meanwhile
    }
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1)) {
        close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

} // namespace platform
