#include "atomicwrite.h"

#include "filedescriptor.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

bool rewriteInPlace(const QByteArray &path, const QByteArray &bytes, FileAccess access)
{
    FileDescriptor fd(open(path.constData(), O_WRONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    struct stat st;
    // Another user's file keeps its mode: only its owner may change it.
    if (access == FileAccess::OwnerOnly && fstat(fd.get(), &st) == 0 && st.st_uid == geteuid())
        fchmod(fd.get(), st.st_mode & 07700);
    // Write first, cut after: an interruption leaves the old tail, never an empty file.
    return fd.writeAll(bytes.constData(), bytes.size()) && ftruncate(fd.get(), bytes.size()) == 0 &&
           fsync(fd.get()) == 0 && fd.close();
}

// The process's umask, read without changing it: umask() can only be read by setting it,
// which for a moment would narrow or widen the files every other thread creates.
std::optional<mode_t> currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray all = status.readAll();
    const qsizetype at = all.indexOf("\nUmask:");
    if (at < 0)
        return std::nullopt;
    bool ok = false;
    const mode_t mask = all.mid(at + 7, all.indexOf('\n', at + 1) - at - 7).trimmed().toUInt(&ok, 8);
    return ok ? std::optional<mode_t>(mask & 0777) : std::nullopt;
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
    FileDescriptor fd(mkostemp(tempName.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return exists && rewriteInPlace(path, bytes, access);

    bool ok = fd.writeAll(bytes.constData(), bytes.size());
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
        // Unknown umask: the file stays as created, readable by its owner only.
        if (const std::optional<mode_t> mask = currentUmask())
            ok = fchmod(fd.get(), 0666 & ~*mask) == 0;
    }
    ok = ok && fsync(fd.get()) == 0;
    ok = fd.close() && ok;
    if (ok && rename(tempName.constData(), path.constData()) == 0)
        return true;
    unlink(tempName.constData());
    return false;
}

} // namespace platform
