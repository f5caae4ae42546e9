// Prints how fast and how small Ticketera's report route is, from its start until the job is
// handed to CUPS (the process ends right after), beside two references measured in the same
// run on the same queue: `lp` of the route's own one-page PDF, and a bare QPrinter program
// painting the same ticket.
#include "benchfigure.h"
#include "cupsserver.h"
#include "installedcopy.h"
#include "workedexamples.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>

namespace {

const QString kExample1 = workedexamples::kUrl1;
constexpr int kRuns = 15;
const QString kQueue = QStringLiteral("tickets");

struct Subject {
    const char *label;
    QStringList command;
    std::vector<double> ms;
    std::vector<double> peakMb;
};

// One run under GNU time, which reports the peak resident memory of the command alone. The
// time includes GNU time's own start, the same for every subject.
bool measure(Subject &subject, const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral("/usr/bin/time"), QStringList{QStringLiteral("-f"), QStringLiteral("peak-kb=%M")} +
                                                       subject.command);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", subject.label, process.readAllStandardError().constData());
        return false;
    }
    subject.ms.push_back(timer.nsecsElapsed() / 1e6);
    const QByteArray err = process.readAllStandardError();
    subject.peakMb.push_back(err.mid(err.lastIndexOf("peak-kb=") + 8).trimmed().toDouble() / 1024);
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main()
{
    CupsServer cups;
    if (!cups.isRunning()) {
        std::printf("Report route: skipped (%s)\n", qPrintable(cups.skipReason()));
        return 0;
    }
    // A raw queue delivers each job unchanged to a listener of the benchmark, so nothing else
    // runs while the next subject is timed.
    cups.addRawQueue(kQueue, QStringLiteral("Ticket 7 cm"));
    const InstalledCopy copy;
    copy.writeSettings("[PRINTER_CONFIG]\r\nPRINTER=0\r\nPAPER=1\r\nGENERICTEXTONLY=0\r\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), cups.address());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ZELVORA_TEMP_DIR"), copy.workDir());

    // The route's own job is the one-page PDF that lp sends.
    Subject ticketera{"Ticketera", {copy.appDir() + QStringLiteral("Ticketera"), kExample1}, {}, {}};
    if (!measure(ticketera, env))
        return 1;
    const QByteArray pdf = cups.takeRawJob(kQueue);
    if (!pdf.startsWith("%PDF")) {
        std::fprintf(stderr, "the report route sent no PDF: %s\n", pdf.left(16).toHex().constData());
        return 1;
    }
    const QString pdfFile = copy.root() + QStringLiteral("/ticket.pdf");
    QFile file(pdfFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        return 1;
    file.close();
    ticketera.ms.clear();
    ticketera.peakMb.clear();

    Subject lp{"lp of the same PDF", {QStringLiteral("/usr/bin/lp"), QStringLiteral("-d"), kQueue, pdfFile}, {}, {}};
    Subject bare{"bare QPrinter program", {QStringLiteral(BARE_QPRINTER), kQueue}, {}, {}};
    for (int i = 0; i < kRuns; ++i) {
        for (Subject *s : {&ticketera, &lp, &bare}) {
            if (!measure(*s, env))
                return 1;
            if (cups.takeRawJob(kQueue).isEmpty()) {
                std::fprintf(stderr, "%s: no job reached the queue\n", s->label);
                return 1;
            }
        }
    }
    std::printf("Report route, worked example 1 on 7 cm paper to a raw queue of a private cupsd, %d runs each:\n", kRuns);
    for (const Subject *s : {&ticketera, &lp, &bare})
        std::printf("  %-22s median %7.1f ms to the job handed over, peak memory %5.1f MB\n", s->label, median(s->ms),
                    median(s->peakMb));
    std::printf("  ratio to the bare QPrinter program %.2fx (target no more than 1.5x), to lp %.2fx\n",
                median(ticketera.ms) / median(bare.ms), median(ticketera.ms) / median(lp.ms));
    benchFigure("Ticketera report route, ratio to a bare QPrinter program", median(ticketera.ms) / median(bare.ms), "x",
                "<=", 1.5);
    return 0;
}
