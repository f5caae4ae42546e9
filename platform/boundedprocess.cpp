#include "boundedprocess.h"

#include "callerstate.h"

#include <QProcess>
#include <csignal>
#include <unistd.h>

namespace platform {
namespace {

constexpr int kGraceMs = 5000;

void signalGroup(const QProcess &process, int signal)
{
    const pid_t pid = pid_t(process.processId());
    // The program alone, should it have left its group.
    if (pid > 0 && ::kill(-pid, signal) != 0)
        ::kill(pid, signal);
}

} // namespace

BoundedRun runBounded(const QString &program, const QStringList &arguments, std::chrono::milliseconds bound)
{
    BoundedRun run;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setInputChannelMode(QProcess::ManagedInputChannel);
    // Its own group, so that the bound reaches what it started too (apt's download methods, dpkg).
    process.setChildProcessModifier([] {
        ::setsid();
        defaultSignals();
    });
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        run.output = process.errorString().toLocal8Bit();
        return run;
    }
    run.started = true;
    process.closeWriteChannel();
    if (!process.waitForFinished(bound == kNoBound ? -1 : int(bound.count()))) {
        run.timedOut = true;
        signalGroup(process, SIGTERM);
        if (!process.waitForFinished(kGraceMs)) {
            signalGroup(process, SIGKILL);
            process.waitForFinished(-1);
        }
    }
    run.output = process.readAll();
    if (!run.timedOut && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    return run;
}

} // namespace platform
