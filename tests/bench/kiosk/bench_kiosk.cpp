// The kiosk session against a bare X server: the installed Mostrador, logged in to the local
// central server with stored credentials, from the start of its display server (cage, as an
// unprivileged user with software rendering; Xvfb without a window manager) to the sales page
// painted, and on to the last byte of the sale's two tickets on a pseudo-terminal port once the
// keyboard activated the print link (Tab, Return). The page counts as painted in the first
// screenshot that shows its print button (grim from the compositor; ImageMagick's import from the
// X server), so each figure carries one screenshot's time at most. cage's output is a window of
// a private X server, whose keyboard is cage's: its headless back end has none.
#include "benchfigure.h"
#include "cagesession.h"
#include "centralserver.h"
#include "kiosk.h"
#include "kioskbench.h"
#include "pseudoterminal.h"
#include "salespage.h"
#include "schemehandler.h"
#include "storedlogin.h"
#include "xvfbserver.h"
#include "xwindows.h"

#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

namespace {

struct Sample {
    double painted = 0; // ms from the display server's start to the print button on the screen
    double printed = 0; // ms from the same start to the tickets' last byte
};

// One run: `start` starts the display server and the kiosk, `screen` reads the screen, `keys`
// types on the kiosk's keyboard.
std::optional<Sample> measure(PseudoTerminal &terminal, const std::function<std::unique_ptr<Kiosk>()> &start,
                              const std::function<QImage()> &screen, const std::function<void(const QStringList &)> &keys)
{
    QElapsedTimer clock;
    clock.start();
    const std::unique_ptr<Kiosk> kiosk = start();
    Sample sample;
    if (!waitUntil([&] { return salespage::printButton(screen()).has_value(); }, 90000))
        return std::nullopt;
    sample.painted = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    keys({QStringLiteral("Tab"), QStringLiteral("Return")});
    if (terminal.read(salespage::kPortBytes.size(), 30000) != salespage::kPortBytes)
        return std::nullopt;
    sample.printed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    // Let this run's Ticketera end before the kiosk goes.
    QThread::msleep(700);
    terminal.read(-1, 50);
    return sample;
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    if (const QString reason = CageSession::skipReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "the kiosk session cannot run here: %s\n", qPrintable(reason));
        return 1;
    }
    const InstalledCopy copy;
    const QString home = Kiosk::homeDir(copy);
    registerSchemeHandler(copy, home + QStringLiteral("/.local/share"), home + QStringLiteral("/.config"));
    if (!storedlogin::storeCredentials(copy, QStringLiteral("caja 7"), QStringLiteral("clave")))
        return 1;
    const CentralServer server;
    PseudoTerminal terminal;
    copy.writeSettings("[CONNECTION]\r\nAUTOL=1\r\n[PRINTER_CONFIG]\r\nIMPRIMIRPUERTO=1\r\nPUERTOIMPRESION=COM1\r\n"
                       "[PORTS]\r\nCOM1=" + terminal.devicePath().toUtf8() + "\r\n");
    copy.storeServerAddress(QStringLiteral("127.0.0.1:%1").arg(server.httpPort()));
    // Both kiosks run as the session's user, from the same copy, on a 1024 x 768 screen.
    const CageSession session(copy, CageSession::Backend::X11);
    session.handOver(terminal.devicePath());
    const QStringList asUser = session.wrapper().mid(0, 4);

    std::unique_ptr<XvfbServer> xvfb;
    QString window;
    const auto inXvfb = [&] {
        xvfb = std::make_unique<XvfbServer>(1024, 768);
        return std::make_unique<Kiosk>(copy, xvfb->display(), QStringLiteral("Mostrador"), QProcessEnvironment(), asUser);
    };
    const auto xvfbScreen = [&] {
        const XWindows x(xvfb->display());
        window = x.visibleTopLevels().value(0);
        return window.isEmpty() ? QImage() : x.capture(window);
    };
    const auto xvfbKeys = [&](const QStringList &keys) { XWindows(xvfb->display()).key(window, keys); };
    const auto inCage = [&] {
        return std::make_unique<Kiosk>(copy, session.display(), QStringLiteral("Mostrador"), session.environment(),
                                       session.wrapper());
    };

    std::vector<double> xPainted, xPrinted, cPainted, cPrinted;
    // One warm-up run of each, so all start from the same page cache.
    for (int i = 0; i <= runs; ++i) {
        const std::optional<Sample> x = measure(terminal, inXvfb, xvfbScreen, xvfbKeys);
        xvfb.reset();
        const std::optional<Sample> c =
            measure(terminal, inCage, [&] { return session.screenshot(); }, [&](const QStringList &k) { session.key(k); });
        if (!x || !c) {
            std::fprintf(stderr, "run %d: %s did not show the sales page or print its tickets\n", i, x ? "cage" : "Xvfb");
            return 1;
        }
        if (i == 0)
            continue;
        xPainted.push_back(x->painted);
        xPrinted.push_back(x->printed);
        cPainted.push_back(c->painted);
        cPrinted.push_back(c->printed);
    }
    const double xp = kioskbench::median(xPainted), xt = kioskbench::median(xPrinted);
    const double cp = kioskbench::median(cPainted), ct = kioskbench::median(cPrinted);
    std::printf("Medians of %d runs, from the display server's start:\n", runs);
    std::printf("  Xvfb, no window manager: sales page painted %.0f ms, tickets printed %.0f ms\n", xp, xt);
    std::printf("  cage (kiosk session):    sales page painted %.0f ms, tickets printed %.0f ms\n", cp, ct);
    benchFigure("kiosk session: cage / Xvfb, start to the sales page painted (medians)", cp / xp, "x", "<=", 1.2);
    benchFigure("kiosk session: cage / Xvfb, start to the tickets printed (medians)", ct / xt, "x", "<=", 1.2);
    return 0;
}
