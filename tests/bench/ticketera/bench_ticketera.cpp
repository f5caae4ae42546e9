// Prints how fast and how small Ticketera's direct routes are, beside references measured in
// the same run: a minimal C program writing the same bytes to the same pseudo-terminal, and
// `lp -o raw` of the same bytes to the same raw CUPS queue.
#include "benchfigure.h"
#include "cupsserver.h"
#include "installedcopy.h"
#include "pseudoterminal.h"
#include "workedexamples.h"

#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

const QString kExample1 = workedexamples::kUrl1;
const QByteArray kTicket = workedexamples::kTextBytes1;
constexpr int kRuns = 40;

struct Sample {
    double ms = 0;     // from the start to the measured event
    double exitMs = 0; // from the start to the process's end
};

// Peak resident memory of one run, in kB, from GNU time: it forks rather than spawning from
// this process's memory, which the kernel would count as the child's.
long peakMemoryKb(const QStringList &command, const QStringList &extraEnv)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &e : extraEnv)
        env.insert(e.section(u'=', 0, 0), e.section(u'=', 1));
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral("/usr/bin/time"), QStringList{QStringLiteral("-f"), QStringLiteral("PEAK %M")} + command);
    process.waitForFinished(30000);
    const QByteArray err = process.readAllStandardError();
    const qsizetype at = err.lastIndexOf("PEAK ");
    return at < 0 ? 0 : err.mid(at + 5).trimmed().toLong();
}

// Starts a program with `extraEnv` added to the environment and returns when it has ended.
class Child {
public:
    Child(const QStringList &command, const QStringList &extraEnv)
    {
        for (const QString &arg : command)
            m_args << arg.toLocal8Bit();
        for (char **e = environ; *e; ++e)
            m_env << QByteArray(*e);
        for (const QString &e : extraEnv)
            m_env << e.toLocal8Bit();
        std::vector<char *> argv, envp;
        for (QByteArray &a : m_args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        for (QByteArray &e : m_env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        m_timer.start();
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    double elapsedMs() const { return m_timer.nsecsElapsed() / 1e6; }
    Sample finish(double eventMs)
    {
        int status = 0;
        if (m_pid > 0)
            waitpid(m_pid, &status, 0);
        return {eventMs, elapsedMs()};
    }

private:
    QList<QByteArray> m_args;
    QList<QByteArray> m_env;
    QElapsedTimer m_timer;
    pid_t m_pid = -1;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Series {
    std::vector<double> event, exit;
    long peakKb = 0;
    void add(const Sample &s)
    {
        event.push_back(s.ms);
        exit.push_back(s.exitMs);
    }
};

void report(const char *label, const Series &s, const char *eventName)
{
    std::printf("  %-22s median %7.2f ms to %s, %7.2f ms to exit, peak memory %5.1f MB\n", label, median(s.event),
                eventName, median(s.exit), s.peakKb / 1024.0);
}

} // namespace

int main()
{
    const InstalledCopy copy;
    const QString writer = QStringLiteral(MINIMAL_PORT_WRITER);
    const QString ticketera = copy.appDir() + QStringLiteral("Ticketera");
    const QStringList workEnv{QStringLiteral("ZELVORA_TEMP_DIR=") + copy.workDir()};

    // Port route: from the start to the last byte on the pseudo-terminal.
    Series port, minimal;
    for (int i = 0; i < kRuns; ++i) {
        for (bool ours : {true, false}) {
            PseudoTerminal terminal;
            copy.writeSettings("[PRINTER_CONFIG]\r\nIMPRIMIRPUERTO=1\r\nPUERTOIMPRESION=COM1\r\n[PORTS]\r\nCOM1=" +
                               terminal.devicePath().toUtf8() + "\r\n");
            Child child(ours ? QStringList{ticketera, kExample1} : QStringList{writer, terminal.devicePath()}, workEnv);
            const QByteArray got = terminal.read(kTicket.size(), 5000);
            const double lastByte = child.elapsedMs();
            const Sample s = child.finish(lastByte);
            if (got != kTicket) {
                std::fprintf(stderr, "wrong bytes on the port: %s\n", got.toHex().constData());
                return 1;
            }
            (ours ? port : minimal).add(s);
        }
    }
    {
        PseudoTerminal terminal;
        copy.writeSettings("[PRINTER_CONFIG]\r\nIMPRIMIRPUERTO=1\r\nPUERTOIMPRESION=COM1\r\n[PORTS]\r\nCOM1=" +
                           terminal.devicePath().toUtf8() + "\r\n");
        port.peakKb = peakMemoryKb({ticketera, kExample1}, workEnv);
        minimal.peakKb = peakMemoryKb({writer, terminal.devicePath()}, workEnv);
    }
    std::printf("Port route, worked example 1, %d runs each:\n", kRuns);
    report("Ticketera", port, "last byte");
    report("minimal C writer", minimal, "last byte");
    std::printf("  ratio %.2fx (target under 10x; under 5x with the windowing libraries left unloaded)\n",
                median(port.event) / median(minimal.event));
    benchFigure("Ticketera port route, ratio to a minimal C writer", median(port.event) / median(minimal.event), "x", "<",
                10);
    benchFigure("Ticketera peak memory, port route", port.peakKb / 1024.0, "MB", "<", 30);

    CupsServer cups;
    if (!cups.isRunning()) {
        std::printf("Text-only route: skipped (%s)\n", qPrintable(cups.skipReason()));
        return 0;
    }
    cups.addRawQueue(QStringLiteral("texto"), QStringLiteral("Generic / Text Only"));
    copy.writeSettings("[PRINTER_CONFIG]\r\nPRINTER=0\r\nGENERICTEXTONLY=1\r\nPAPER=1\r\n");
    const QString ticketFile = copy.root() + QStringLiteral("/ticket.txt");
    QFile file(ticketFile);
    file.open(QIODevice::WriteOnly);
    file.write(kTicket);
    file.close();
    const QStringList cupsEnv = workEnv + QStringList{QStringLiteral("CUPS_SERVER=") + cups.address()};
    Series text, lp;
    for (int i = 0; i < kRuns / 2; ++i) {
        for (bool ours : {true, false}) {
            Child child(ours ? QStringList{ticketera, kExample1}
                             : QStringList{QStringLiteral("/usr/bin/lp"), QStringLiteral("-d"), QStringLiteral("texto"),
                                           QStringLiteral("-o"), QStringLiteral("raw"), ticketFile},
                        cupsEnv);
            const Sample s = child.finish(0);
            const QByteArray job = cups.takeRawJob(QStringLiteral("texto"));
            if (job != kTicket) {
                std::fprintf(stderr, "wrong job on the queue: %s\n", job.toHex().constData());
                return 1;
            }
            (ours ? text : lp).add({s.exitMs, s.exitMs});
        }
    }
    text.peakKb = peakMemoryKb({ticketera, kExample1}, cupsEnv);
    lp.peakKb = peakMemoryKb({QStringLiteral("/usr/bin/lp"), QStringLiteral("-d"), QStringLiteral("texto"),
                              QStringLiteral("-o"), QStringLiteral("raw"), ticketFile},
                             cupsEnv);
    cups.takeRawJob(QStringLiteral("texto"));
    cups.takeRawJob(QStringLiteral("texto"));
    std::printf("Text-only route, worked example 1 to a raw queue of a private cupsd, %d runs each:\n", kRuns / 2);
    report("Ticketera", text, "job handed over");
    report("lp -o raw", lp, "job handed over");
    std::printf("  ratio %.2fx (target under 3x)\n", median(text.exit) / median(lp.exit));
    benchFigure("Ticketera text-only route, ratio to lp", median(text.exit) / median(lp.exit), "x", "<", 3);
    benchFigure("Ticketera peak memory, text-only route", text.peakKb / 1024.0, "MB", "<", 30);
    std::printf("Peak memory of Ticketera: port route %.1f MB, text-only route %.1f MB (target under 30 MB)\n",
                port.peakKb / 1024.0, text.peakKb / 1024.0);
    return 0;
}
