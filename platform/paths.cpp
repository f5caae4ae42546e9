#include "paths.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QString executablePath()
{
    static const QString path = [] {
        char buffer[4096];
        const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        return n > 0 ? QFile::decodeName(QByteArray(buffer, n)) : QString();
    }();
    return path;
}

QString installationDirectory()
{
    const QString exe = executablePath();
    return exe.left(exe.lastIndexOf(u'/') + 1);
}

QString workDirectory()
{
    const QByteArray fromEnvironment = qgetenv("ZELVORA_TEMP_DIR");
    QString dir = fromEnvironment.isEmpty() ? QStringLiteral("/var/tmp/Zelvora Temp")
                                            : QFile::decodeName(fromEnvironment);
    while (dir.size() > 1 && dir.endsWith(u'/'))
        dir.chop(1);
    return dir;
}

bool ensureWorkDirectory()
{
    const QByteArray dir = QFile::encodeName(workDirectory());
    struct stat st;
    if (stat(dir.constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    if (mkdir(dir.constData(), 01777) != 0)
        return errno == EEXIST;
    // The umask narrowed the mode: programs of several users share this directory.
    chmod(dir.constData(), 01777);
    return true;
}

bool workDirectoryIsSafe()
{
    struct stat st;
    if (stat(QFile::encodeName(workDirectory()).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    if (st.st_uid != 0 && st.st_uid != geteuid())
        return false;
    return (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (st.st_mode & S_ISVTX) != 0;
}

QString temporaryDirectory()
{
    QString dir = QDir::tempPath();
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

namespace {

// `dir` is a real directory of this user, now with mode 0700. The temporary directory is
// sticky, so nobody else can swap it for something else afterwards.
bool isOwnPrivateDirectory(const QByteArray &dir)
{
    struct stat st;
    if (lstat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid())
        return false;
    return (st.st_mode & 07777) == 0700 || chmod(dir.constData(), 0700) == 0;
}

} // namespace

QString userTemporaryDirectory()
{
    const QString base = temporaryDirectory() + QStringLiteral("ZelvoraMostrador-");
    const QByteArray fixed = QFile::encodeName(base + QString::number(geteuid()));
    if ((mkdir(fixed.constData(), 0700) == 0 || errno == EEXIST) && isOwnPrivateDirectory(fixed))
        return QFile::decodeName(fixed) + u'/';

    // Another user took the name first: a directory of an unguessable name, kept for the run.
    static QByteArray fallback;
    if (!fallback.startsWith(QFile::encodeName(base)) || !isOwnPrivateDirectory(fallback)) {
        QByteArray pattern = QFile::encodeName(base + QStringLiteral("XXXXXX"));
        if (!mkdtemp(pattern.data()))
            return {};
        fallback = pattern;
    }
    return QFile::decodeName(fallback) + u'/';
}

QString singleInstanceLockPath(const QString &name)
{
    QString dir = QFile::decodeName(qgetenv("XDG_RUNTIME_DIR"));
    QString fileName = name + QStringLiteral(".lock");
    if (dir.isEmpty()) {
        ensureWorkDirectory();
        dir = workDirectory();
        fileName = name + u'-' + QString::number(geteuid()) + QStringLiteral(".lock");
    }
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir + fileName;
}

} // namespace platform
