#include "elevatedprocess.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <cerrno>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace platform {
namespace {

// pkexec's own answers for a dismissed prompt or a refused authorisation.
constexpr int kPkexecDismissed = 126;
constexpr int kPkexecNotAuthorised = 127;

QList<QByteArray> commandLine(const QByteArray &program)
{
    if (geteuid() == 0)
        return {program};
    // pkexec runs the program itself, so that the polkit action naming its path applies: that
    // action keeps the display and asks for an administrator's password. The system's own
    // pkexec, not the first one the user's PATH names, which could ask for that password too.
    return {"/usr/bin/pkexec", program};
}

bool waitSlice(int pidfd)
{
    if (pidfd < 0) {
        usleep(100 * 1000);
        return false;
    }
    struct pollfd p{pidfd, POLLIN, 0};
    return poll(&p, 1, 100) > 0;
}

} // namespace

int runElevatedAndWait(const QString &program, const std::function<void()> &started,
                       const std::function<void()> &betweenSlices,
                       const std::function<void(const UntrustedPath &)> &refused)
{
    if (access(QFile::encodeName(program).constData(), X_OK) != 0)
        return -1;
    if (const std::optional<UntrustedPath> untrusted = untrustedForRoot(program)) {
        if (refused)
            refused(*untrusted);
        return -1;
    }
    // The checked file itself, not a link that could be pointed elsewhere meanwhile.
    const QByteArray path = QFile::encodeName(QFileInfo(program).canonicalFilePath());
    const QList<QByteArray> args = commandLine(path);
    QList<char *> argv;
    for (const QByteArray &a : args)
        argv << const_cast<char *>(a.constData());
    argv << nullptr;

    pid_t pid;
    if (posix_spawn(&pid, argv.first(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    if (started)
        started();

    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    int status = 0;
    bool reaped = false;
    for (;;) {
        const bool ended = waitSlice(pidfd);
        const pid_t r = waitpid(pid, &status, WNOHANG);
        reaped = r == pid;
        if (reaped || (r < 0 && errno != EINTR))
            break;
        if (!ended && betweenSlices)
            betweenSlices();
    }
    if (pidfd >= 0)
        close(pidfd);
    if (!reaped || !WIFEXITED(status))
        return -1;
    const int code = WEXITSTATUS(status);
    if (geteuid() != 0 && (code == kPkexecDismissed || code == kPkexecNotAuthorised))
        return -1;
    return code;
}

} // namespace platform
