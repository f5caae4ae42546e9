// Mostrador's start-up time and memory beside a bare QWebEngineView program, in one run.
//
// Time: from the start of the process to the line "ready" that both programs print once their
// window is exposed on the X server and the browser has finished loading "about:blank". For
// Mostrador this is its test build (the program's entry, runtime, window and start-up sequence,
// with operations that succeed at once and both log switches on), since the program itself
// stops at a message box until the server link exists.
// Memory: the sum of the peak resident sizes (VmHWM) of the main process and every browser
// process under it, read one second after "ready". Shared pages count once per process, the
// same way for both programs.
#include "benchfigure.h"
#include "installedcopy.h"
#include "kiosk.h"
#include "kioskbench.h"
#include "xvfbserver.h"
#include "xwindows.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Sample {
    double milliseconds = 0;
    double mebibytes = 0;
};

bool measure(const InstalledCopy &copy, const XvfbServer &xvfb, const QString &program, Sample *sample)
{
    QElapsedTimer clock;
    clock.start();
    Kiosk kiosk(copy, xvfb.display(), program);
    if (!kiosk.waitForOutput("ready", 60000)) {
        std::fprintf(stderr, "%s did not get ready: %s\n", qPrintable(program), kiosk.standardError().constData());
        return false;
    }
    sample->milliseconds = static_cast<double>(clock.elapsed());
    sample->mebibytes = kioskbench::peakMemoryMiB(kiosk);
    kioskbench::close(xvfb.display(), kiosk);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const InstalledCopy copy;
    const QString shell =
        kioskbench::installBeside(copy, QStringLiteral(MOSTRADOR_TEST_SHELL), QStringLiteral("MostradorTestShell"));
    const XvfbServer xvfb(1280, 1024);

    std::vector<double> kioskTime, kioskMemory, bareTime, bareMemory;
    Sample sample;
    // One warm-up run of each, so both start from the same page cache.
    if (!measure(copy, xvfb, shell, &sample) || !measure(copy, xvfb, QStringLiteral(BARE_WEBENGINE), &sample))
        return 1;
    for (int i = 0; i < runs; ++i) {
        if (!measure(copy, xvfb, shell, &sample))
            return 1;
        kioskTime.push_back(sample.milliseconds);
        kioskMemory.push_back(sample.mebibytes);
        if (!measure(copy, xvfb, QStringLiteral(BARE_WEBENGINE), &sample))
            return 1;
        bareTime.push_back(sample.milliseconds);
        bareMemory.push_back(sample.mebibytes);
    }

    const double kt = kioskbench::median(kioskTime), bt = kioskbench::median(bareTime), km = kioskbench::median(kioskMemory), bm = kioskbench::median(bareMemory);
    std::printf("Mostrador, start to window shown with about:blank loaded, median of %d: %.0f ms\n", runs, kt);
    std::printf("bare QWebEngineView program, same measure:                         %.0f ms  (ratio %.2f, target <= 1.2)\n",
                bt, kt / bt);
    std::printf("Mostrador, peak memory of main and browser processes (sum of VmHWM), median: %.1f MiB\n", km);
    std::printf("bare QWebEngineView program, same measure:                                   %.1f MiB  (ratio %.2f, target <= 1.2)\n",
                bm, km / bm);
    benchFigure("Mostrador start to window, ratio to a bare QWebEngineView program", kt / bt, "x", "<=", 1.2);
    benchFigure("Mostrador peak memory, ratio to a bare QWebEngineView program", km / bm, "x", "<=", 1.2);
    return 0;
}
