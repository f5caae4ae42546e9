#include "pseudoterminal.h"

#include <QFile>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    char name[256];
    struct termios tio;
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    tcgetattr(m_slave, &tio);
    // Raw input, no echo; output processing stays as a fresh terminal has it (OPOST | ONLCR).
    tio.c_lflag &= ~(ICANON | ECHO | ECHOE | ECHOK | ECHONL | ISIG | IEXTEN);
    tio.c_iflag &= ~(ICRNL | INLCR | IGNCR | IXON);
    tio.c_oflag |= OPOST | ONLCR;
    tcsetattr(m_slave, TCSANOW, &tio);
    m_path = QFile::decodeName(name);
}

PseudoTerminal::~PseudoTerminal()
{
    close(m_master);
    close(m_slave);
}

QByteArray PseudoTerminal::read(qsizetype expected, int quietMs)
{
    QByteArray out;
    for (;;) {
        if (expected >= 0 && out.size() >= expected)
            break;
        struct pollfd p{m_master, POLLIN, 0};
        if (poll(&p, 1, quietMs) <= 0)
            break;
        char buffer[4096];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        out.append(buffer, n);
    }
    return out;
}
