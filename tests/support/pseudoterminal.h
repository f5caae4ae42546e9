#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal standing in for a serial port. The test holds both ends open, so the
// port never hangs up between two tickets, and reads what reached it from the master side.
// The terminal starts with the system's usual output processing (CR LF would become CR CR LF),
// so only a writer that switches it off delivers its bytes unchanged.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    QString devicePath() const { return m_path; }
    // Reads until `expected` bytes arrived or nothing more came for `quietMs` milliseconds.
    QByteArray read(qsizetype expected = -1, int quietMs = 300);

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};
