#include "sharedlog.h"

#include "filedescriptor.h"
#include "regularfile.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Another user's log in a shared (sticky) directory cannot be renamed: its content moves to the
// previous generation instead, and the file is emptied. The files stay whose they are.
bool copyToPrevious(int log, const QByteArray &previousPath)
{
    struct stat st;
    const FileDescriptor previous(openSharedFile(previousPath, O_WRONLY, st));
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
    FileDescriptor log(openSharedFile(path, O_RDWR | O_APPEND, st));
    if (log.get() < 0)
        return false;
    if (st.st_size > rotationSize) {
        const QByteArray previous = path + ".1";
        if (rename(path.constData(), previous.constData()) == 0)
            log.reset(openSharedFile(path, O_RDWR | O_APPEND, st));
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
