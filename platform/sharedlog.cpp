#include "sharedlog.h"

#include "filedescriptor.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Opens a regular file for `access`, creating it with mode 0666 when it is missing, and reads
// its status into `st`. Never follows a link, never blocks on a FIFO planted in its place, and
// never writes into a file that has another name too: in the shared directory that could be a
// hard link to a file of whoever runs the program (root's Configuracion included).
int openShared(const QByteArray &path, int access, struct stat &st)
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
        return -1;
    }
    return fd;
}

// Another user's log in a shared (sticky) directory cannot be renamed: its content moves to the
// previous generation instead, and the file is emptied. The files stay whose they are.
bool copyToPrevious(int log, const QByteArray &previousPath)
{
    struct stat st;
    const FileDescriptor previous(openShared(previousPath, O_WRONLY, st));
    if (previous.get() < 0 || ftruncate(previous.get(), 0) != 0)
        return false;
    char buffer[65536];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = pread(log, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (!previous.writeAll(buffer, n))
            return false;
        offset += n;
    }
    return ftruncate(log, 0) == 0;
}

} // namespace

bool appendToSharedLog(const QString &filePath, const QByteArray &bytes, qint64 rotationSize)
{
    const QByteArray path = QFile::encodeName(filePath);
    struct stat st;
    FileDescriptor log(openShared(path, O_RDWR | O_APPEND, st));
    if (log.get() < 0)
        return false;
    if (st.st_size > rotationSize) {
        const QByteArray previous = path + ".1";
        if (rename(path.constData(), previous.constData()) == 0)
            log.reset(openShared(path, O_RDWR | O_APPEND, st));
        else
            copyToPrevious(log.get(), previous); // failing that, the big file goes on growing
        if (log.get() < 0)
            return false;
    }
    // A full filesystem may take only the start of the line: the log loses the whole line
    // instead, so that the next one does not carry on from a torn one.
    const off_t end = lseek(log.get(), 0, SEEK_END);
    const bool written = log.writeAll(bytes.constData(), bytes.size());
    if (!written && end >= 0 && ftruncate(log.get(), end) != 0)
        return false; // nothing more to do: the torn line stays
    return written;
}

} // namespace platform
