#pragma once

#include "mostradorlogswitches.h"

#include <QString>

// Asks the server once for the address under which it wants to be reached and stores it when
// it differs from the stored one. Runs on a thread of its own that nobody waits for.
class TThreadMostradorIp {
public:
    TThreadMostradorIp(QString dirApp, MostradorLogSwitches logSwitches);

    // The thread's body; reports only through the stored address and the log.
    void Execute();

private:
    QString m_dirApp;
    MostradorLogSwitches m_logSwitches;
};

// Starts one TThreadMostradorIp, which frees itself when it ends; returns at once.
void lanzarHiloIp(const QString &dirApp, MostradorLogSwitches logSwitches);
