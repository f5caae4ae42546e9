#include "atomicwrite.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() { if (m_fd >= 0) ::close(m_fd); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool rewriteInPlace(const QByteArray &path, const QByteArray &bytes, FileAccess access)
{
    Descriptor fd(open(path.constData(), O_WRONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    struct stat st;
    // Another user's file keeps its mode: only its owner may change it.
    if (access == FileAccess::OwnerOnly && fstat(fd.get(), &st) == 0 && st.st_uid == geteuid())
        fchmod(fd.get(), st.st_mode & 07700);
    // Write first, cut after: an interruption leaves the old tail, never an empty file.
    return writeAll(fd.get(), bytes) && ftruncate(fd.get(), bytes.size()) == 0 && fsync(fd.get()) == 0 &&
           fd.close();
}

} // namespace

bool writeFileAtomically(const QString &filePath, const QByteArray &bytes, FileAccess access)
{
    const QByteArray path = QFile::encodeName(filePath);
    struct stat original;
    const bool exists = stat(path.constData(), &original) == 0;
    if (exists && !S_ISREG(original.st_mode))
        return false;
    // A read-only file stays read-only: renaming over it would bypass its mode.
    if (exists && faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) != 0)
        return false;

    QByteArray tempName = path + ".XXXXXX";
    Descriptor fd(mkostemp(tempName.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return exists && rewriteInPlace(path, bytes, access);

    bool ok = writeAll(fd.get(), bytes);
    if (ok && exists) {
        const mode_t keep = access == FileAccess::OwnerOnly ? 07700 : 07777;
        ok = fchmod(fd.get(), original.st_mode & keep) == 0;
        if (ok && (original.st_uid != geteuid() || original.st_gid != getegid()) &&
            fchown(fd.get(), original.st_uid, original.st_gid) != 0) {
            unlink(tempName.constData());
            return rewriteInPlace(path, bytes, access);
        }
    } else if (ok && access == FileAccess::OwnerOnly) {
        ok = fchmod(fd.get(), 0600) == 0;
    } else if (ok) {
        const mode_t mask = umask(0);
        umask(mask);
        ok = fchmod(fd.get(), 0666 & ~mask) == 0;
    }
    ok = ok && fsync(fd.get()) == 0;
    ok = fd.close() && ok;
    if (ok && rename(tempName.constData(), path.constData()) == 0)
        return true;
    unlink(tempName.constData());
    return false;
}

} // namespace platform
