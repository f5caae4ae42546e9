#include "callerstate.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr rlim_t kStack = 8 * 1024 * 1024;
constexpr rlim_t kOpenFiles = 1024;
constexpr rlim_t kOpenFilesMax = 512 * 1024;

// What a system service starts with: a caller's small file size or process count cannot make
// dpkg fail half-way.
void resetLimits()
{
    const struct {
        int resource;
        rlim_t soft, hard;
    } limits[] = {
        {RLIMIT_CPU, RLIM_INFINITY, RLIM_INFINITY},   {RLIMIT_FSIZE, RLIM_INFINITY, RLIM_INFINITY},
        {RLIMIT_DATA, RLIM_INFINITY, RLIM_INFINITY},  {RLIMIT_STACK, kStack, RLIM_INFINITY},
        {RLIMIT_CORE, 0, RLIM_INFINITY},              {RLIMIT_RSS, RLIM_INFINITY, RLIM_INFINITY},
        {RLIMIT_NPROC, RLIM_INFINITY, RLIM_INFINITY}, {RLIMIT_NOFILE, kOpenFiles, kOpenFilesMax},
        {RLIMIT_AS, RLIM_INFINITY, RLIM_INFINITY},    {RLIMIT_LOCKS, RLIM_INFINITY, RLIM_INFINITY},
    };
    for (const auto &limit : limits) {
        const struct rlimit value{limit.soft, limit.hard};
        struct rlimit current;
        // Without CAP_SYS_RESOURCE (a container's root) a lowered hard limit stays: the soft
        // one goes as high as it allows.
        if (setrlimit(limit.resource, &value) != 0 && getrlimit(limit.resource, &current) == 0) {
            current.rlim_cur = std::min(limit.soft, current.rlim_max);
            setrlimit(limit.resource, &current);
        }
    }
    setpriority(PRIO_PROCESS, 0, 0);
}

} // namespace

void defaultSignals()
{
    for (int signal = 1; signal < NSIG; ++signal) {
        if (signal != SIGKILL && signal != SIGSTOP)
            std::signal(signal, SIG_DFL);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

namespace {

void resetStandardStreams()
{
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null < 0)
        return;
    dup2(null, STDIN_FILENO);
    for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        if (fcntl(fd, F_GETFD) < 0)
            dup2(null, fd);
    }
    if (null > STDERR_FILENO)
        close(null);
}

// Out of the caller's session, so that neither its terminal's hang-up nor its job control
// reaches us.
void leaveSession()
{
    if (getsid(0) == getpid() || setsid() >= 0)
        return;
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        return;
    }
    if (child < 0)
        return;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 1);
}

} // namespace

void leaveCallerState(const QByteArrayList &environment)
{
    clearenv();
    for (const QByteArray &entry : environment) {
        const qsizetype equals = entry.indexOf('=');
        if (equals > 0)
            setenv(entry.left(equals).constData(), entry.mid(equals + 1).constData(), 1);
    }
    umask(022);
    resetLimits();
    defaultSignals();
    resetStandardStreams();
    if (chdir("/") != 0) {
        // "/" is always there; nothing else to go to.
    }
    leaveSession();
}

} // namespace platform
