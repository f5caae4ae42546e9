#pragma once

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// A program run by an unprivileged user, for the rules that hang on file modes, which root
// ignores: nobody when the test runs as root, else the test's own user. A file kept from that
// user is root's when the test is root, else the test's own without its write permissions.
namespace unprivileged {

// Why no such run can be made here; empty when it can.
inline QString skipReason()
{
    return geteuid() == 0 && !getpwnam("nobody") ? QStringLiteral("the test runs as root and there is no user nobody")
                                                  : QString();
}

inline void start(QProcess &process, const QString &program, const QStringList &arguments)
{
    if (geteuid() != 0)
        process.start(program, arguments);
    else
        process.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                                            QStringLiteral("--clear-groups"), program} + arguments);
}

// `path` becomes the user's, with `mode`.
inline bool give(const QString &path, mode_t mode)
{
    const QByteArray name = QFile::encodeName(path);
    const passwd *nobody = geteuid() == 0 ? getpwnam("nobody") : nullptr;
    if (nobody && chown(name.constData(), nobody->pw_uid, nobody->pw_gid) != 0)
        return false;
    return chmod(name.constData(), mode) == 0;
}

// The user may read `path` as `mode` says, but not write it.
inline bool keep(const QString &path, mode_t mode)
{
    const QByteArray name = QFile::encodeName(path);
    if (geteuid() == 0 && chown(name.constData(), 0, 0) != 0)
        return false;
    return chmod(name.constData(), geteuid() == 0 ? mode : mode & ~mode_t(0222)) == 0;
}

} // namespace unprivileged
