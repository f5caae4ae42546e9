#include "xvfbserver.h"

#include <QByteArray>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

XvfbServer::XvfbServer(int width, int height)
{
    int pipeFds[2];
    if (pipe2(pipeFds, 0) != 0)
        throw std::runtime_error("pipe failed");
    // Xvfb writes the display number it chose to the descriptor given with -displayfd.
    const QByteArray fd = QByteArray::number(pipeFds[1]);
    const QByteArray screen = QByteArray::number(width) + 'x' + QByteArray::number(height) + "x24";
    const char *argv[] = {"Xvfb", "-displayfd", fd.constData(), "-screen", "0", screen.constData(),
                          "-nolisten", "tcp", "-noreset", nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, "Xvfb", nullptr, nullptr, const_cast<char **>(argv), environ) != 0)
        throw std::runtime_error("Xvfb cannot start");
    m_pid = pid;
    close(pipeFds[1]);
    QByteArray number;
    struct pollfd p{pipeFds[0], POLLIN, 0};
    while (!number.endsWith('\n') && poll(&p, 1, 10000) > 0) {
        char c;
        if (read(pipeFds[0], &c, 1) != 1)
            break;
        number.append(c);
    }
    close(pipeFds[0]);
    if (number.trimmed().isEmpty())
        throw std::runtime_error("Xvfb gave no display");
    m_display = u':' + QString::fromLatin1(number.trimmed());
}

XvfbServer::~XvfbServer()
{
    if (m_pid > 0) {
        kill(static_cast<pid_t>(m_pid), SIGTERM);
        waitpid(static_cast<pid_t>(m_pid), nullptr, 0);
    }
}
