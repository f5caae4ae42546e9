#include "rootonlypath.h"

#include <QFile>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace platform {
namespace {

QByteArray canonical(const QByteArray &path)
{
    char resolved[PATH_MAX];
    return realpath(path.constData(), resolved) ? QByteArray(resolved) : QByteArray();
}

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArray(".");
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

// Walks from `path` (canonical) up to "/"; `level` 0 is the program, 1 its directory.
std::optional<UntrustedPath> checkUpwards(QByteArray path, int level)
{
    for (;; ++level) {
        struct stat st;
        if (lstat(path.constData(), &st) != 0 || st.st_uid != 0)
            return UntrustedPath{UntrustedPath::Reason::NotOwnedByRoot, QFile::decodeName(path)};
        const bool othersWrite = (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
        const bool stickyAbove = level >= 2 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX);
        if (othersWrite && !stickyAbove)
            return UntrustedPath{UntrustedPath::Reason::WritableByOthers, QFile::decodeName(path)};
        if (path == "/")
            return std::nullopt;
        path = parentOf(path);
    }
}

} // namespace

std::optional<UntrustedPath> untrustedForRoot(const QString &program)
{
    const QByteArray given = QFile::encodeName(program);
    // Where the name lies: whoever may write there could point it elsewhere.
    const QByteArray directory = canonical(parentOf(given));
    if (directory.isEmpty())
        return UntrustedPath{UntrustedPath::Reason::NotOwnedByRoot, program};
    if (auto untrusted = checkUpwards(directory, 1))
        return untrusted;
    const QByteArray target = canonical(given);
    if (target.isEmpty())
        return UntrustedPath{UntrustedPath::Reason::NotOwnedByRoot, program};
    return checkUpwards(target, 0);
}

} // namespace platform
