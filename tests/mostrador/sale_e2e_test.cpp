// A sale, end to end, on the installed programs under a private X server: Mostrador (its log
// on) logs in to the local central server with stored credentials, the test clicks the sales
// page's print button with the mouse (xdotool), the desktop (GIO, with entries and defaults of the
// test's own user) starts Ticketera, and the tickets reach a pseudo-terminal port or a CUPS PDF
// queue. The same sale in the kiosk session, under the cage compositor.
#include "cagesession.h"
#include "centralserver.h"
#include "cupsserver.h"
#include "mostradorlog.h"
#include "processtree.h"
#include "pseudoterminal.h"
#include "salespage.h"
#include "schemehandler.h"
#include "storedlogin.h"
#include "xvfbserver.h"
#include "xwindows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

const QByteArray kBlank = " \r\n \r\n \r\n";

QString toolOutput(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

class SaleE2eTest : public testing::Test {
protected:
    void SetUp() override
    {
        logged = copy.addProgram(QStringLiteral(MOSTRADOR_LOGGED));
        const QString home = Kiosk::homeDir(copy);
        registerSchemeHandler(copy, home + QStringLiteral("/.local/share"), home + QStringLiteral("/.config"));
        ASSERT_TRUE(storedlogin::storeCredentials(copy, QStringLiteral("caja 7"), QStringLiteral("clave")));
    }

    // The settings of a sale printed on `terminal`, with the server's address.
    void settingsForPort(const CentralServer &server, const PseudoTerminal &terminal)
    {
        QFile::remove(copy.workDir() + QStringLiteral("/ZelvoraMostrador.log"));
        QFile::remove(copy.workDir() + QStringLiteral("/Ticketera.log"));
        copy.writeSettings("[CONNECTION]\r\nAUTOL=1\r\n[PRINTER_CONFIG]\r\nIMPRIMIRPUERTO=1\r\nPUERTOIMPRESION=COM1\r\n[PORTS]\r\n"
                           "COM1=" + terminal.devicePath().toUtf8() + "\r\n");
        copy.storeServerAddress(QStringLiteral("127.0.0.1:%1").arg(server.httpPort()));
    }

    // Starts the kiosk on the server with the printer settings given, waits for the sales page and
    // clicks its print button.
    std::unique_ptr<Kiosk> sell(const CentralServer &server, const QByteArray &printerKeys,
                                const QProcessEnvironment &extra = {})
    {
        QFile::remove(copy.workDir() + QStringLiteral("/ZelvoraMostrador.log"));
        QFile::remove(copy.workDir() + QStringLiteral("/Ticketera.log"));
        copy.writeSettings("[CONNECTION]\r\nAUTOL=1\r\n[PRINTER_CONFIG]\r\n" + printerKeys);
        copy.storeServerAddress(QStringLiteral("127.0.0.1:%1").arg(server.httpPort()));
        auto kiosk = std::make_unique<Kiosk>(copy, xvfb.display(), logged, extra);
        const XWindows x(xvfb.display());
        QString window;
        std::optional<QPoint> button;
        EXPECT_TRUE(waitUntil([&] {
            window = x.visibleWindowsOf(kiosk->pid()).value(0);
            button = window.isEmpty() ? std::nullopt : salespage::printButton(x.capture(window));
            return button.has_value();
        }, 60000)) << kiosk->standardError().constData();
        if (button)
            x.click(window, *button, 1);
        return kiosk;
    }

    InstalledCopy copy;
    QString logged; // the logged build's name in the copy
    XvfbServer xvfb;
};

} // namespace

// The sale's own page, then pages whose link carries what Qt's URL class would have rewritten.
TEST_F(SaleE2eTest, TheClickedTicketReachesThePortWithTheExactUrl)
{
    const QString printed = QStringLiteral("] Termino de impresion por puerto\r\n");
    const struct {
        const char *name;
        QString url; // what the page's link holds
        QByteArray port;
        QString logLine; // Ticketera's, waited for
    } cases[] = {
        {"the sale: two tickets of one job", salespage::kPrintUrl, salespage::kPortBytes, printed},
        {"%%, + and %5C", QStringLiteral("zvr:LIB&1&0&0&&0&&1100%%+x%5Cn"), "100% x\\n\r\n" + kBlank, printed},
        // Ticketera's decoder refuses it with its box: the text arrived as the page wrote it.
        {"malformed escape", QStringLiteral("ZVR:LIB&1&0&0&&0&&1a%G1%4"), "",
         QStringLiteral("] INICIO DE OPERACION UTF8Decode. Cadena: LIB&1&0&0&&0&&1a%G1%4\r\n")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArrayList page;
        if (c.url != salespage::kPrintUrl) {
            const QByteArray href = c.url.toUtf8().replace("&", "&amp;");
            page << "--route" << "/VANTO/Login.html" << "--body"
                 << "<a id=\"imprimir\" href=\"" + href + "\" style=\"display:inline-block;padding:12px 40px;"
                    "background:#2e7d32;color:#fff\">Imprimir ticket</a>";
        }
        const CentralServer server(page);
        PseudoTerminal terminal;
        const std::unique_ptr<Kiosk> kiosk =
            sell(server, "IMPRIMIRPUERTO=1\r\nPUERTOIMPRESION=COM1\r\n[PORTS]\r\nCOM1=" + terminal.devicePath().toUtf8() + "\r\n");
        ASSERT_TRUE(waitUntil([&] { return copy.log().contains(c.logLine); }, 60000)) << copy.log().toStdString();
        EXPECT_EQ(terminal.read(-1, 500), c.port);
        if (c.port.isEmpty()) {
            // Ticketera waits at its box: it holds none of the kiosk's files, the single-instance lock
            // included.
            QList<qint64> ticketera;
            for (const qint64 pid : processtree::liveTree(kiosk->pid()))
                if (processtree::executable(pid).endsWith(QStringLiteral("/Ticketera")))
                    ticketera << pid;
            ASSERT_EQ(ticketera.size(), 1);
            EXPECT_FALSE(processtree::holdsFile(ticketera.first(), Kiosk::lockPath(copy)));
        } else {
            // Ticketera ends after its job and the kiosk reaps it.
            EXPECT_TRUE(waitUntil([&] {
                const QList<qint64> tree = processtree::liveTree(kiosk->pid());
                return std::none_of(tree.begin(), tree.end(), [](qint64 pid) {
                           return processtree::executable(pid).endsWith(QStringLiteral("/Ticketera"));
                       }) && processtree::unreapedChildren(kiosk->pid()).isEmpty();
            }, 30000));
        }
        EXPECT_TRUE(mostradorLogLines(copy.workDir()).contains(QStringLiteral("Enlace ZVR entregado al escritorio: ") + c.url));
        EXPECT_TRUE(copy.log().contains(QStringLiteral("\r\nParametro1: ") + c.url + QStringLiteral("\r\n")))
            << copy.log().toStdString();
    }
}

// The report route: both tickets on a PDF queue, each with its barcode.
TEST_F(SaleE2eTest, TheTicketsOfTheSaleReachAPdfQueue)
{
    CupsServer cups;
    if (!cups.isRunning())
        GTEST_SKIP() << cups.skipReason().toStdString();
    cups.addPdfQueue(QStringLiteral("tickets"), QStringLiteral("Tickets en PDF"));
    // Poppler's PostScript conversion keeps the characters of the glyphs for pdftotext.
    cups.runClient(QStringLiteral("lpadmin"), {QStringLiteral("-p"), QStringLiteral("tickets"), QStringLiteral("-o"),
                                               QStringLiteral("pdftops-renderer-default=pdftocairo")});
    const CentralServer server;
    const std::unique_ptr<Kiosk> kiosk = sell(server, "PRINTER=0\r\nPAPER=1\r\n", cups.environment());

    const QStringList pdfs = cups.waitForPdfs(2, 60000);
    ASSERT_EQ(pdfs.size(), 2) << copy.log().toStdString();
    const QStringList firstLines[] = {{"RECARGA MOVIL", "Importe: 10,00"}, {"COPIA - RECARGA MOVIL", "Importe: 10,00"}};
    for (int i = 0; i < 2; ++i) {
        const QString text = toolOutput(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdfs[i], QStringLiteral("-")});
        for (const QString &line : firstLines[i])
            EXPECT_TRUE(text.contains(line)) << text.toStdString();
        QTemporaryDir dir;
        toolOutput(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                                                QStringLiteral("-singlefile"), pdfs[i], dir.path() + QStringLiteral("/page")});
        EXPECT_EQ(toolOutput(QStringLiteral("zbarimg"), {QStringLiteral("-q"), dir.path() + QStringLiteral("/page.png")}),
                  QStringLiteral("CODE-128:12345678901234567890\n"));
    }
    EXPECT_TRUE(mostradorLogLines(copy.workDir()).contains(QStringLiteral("Enlace ZVR entregado al escritorio: ") + salespage::kPrintUrl));
    const QString log = copy.log();
    EXPECT_TRUE(log.contains(QStringLiteral("\r\nParametro1: ") + salespage::kPrintUrl + QStringLiteral("\r\n")));
    EXPECT_TRUE(log.contains(QStringLiteral("] Impresion directo a impresora: 0\r\n")));
    EXPECT_FALSE(log.contains(QStringLiteral("ERROR"))) << log.toStdString();
}

// The sale in the kiosk session: the installed Mostrador is cage's one application, on Qt's Wayland
// platform, as an unprivileged user. The compositor gives it the whole output; the print link is
// reached and activated from the keyboard; the desktop starts Ticketera inside the session.
TEST_F(SaleE2eTest, TheSaleRunsInTheKioskSessionFromTheKeyboard)
{
    if (const QString reason = CageSession::skipReason(); !reason.isEmpty())
        GTEST_SKIP() << reason.toStdString();
    const CentralServer server;
    PseudoTerminal terminal;
    settingsForPort(server, terminal);
    // cage's headless back end has no keyboard: keys come from the X server its output is a window of.
    const CageSession session(copy, CageSession::Backend::X11);
    session.handOver(terminal.devicePath());
    const Kiosk kiosk(copy, session.display(), logged, session.environment(), session.wrapper());

    QImage screen;
    ASSERT_TRUE(waitUntil([&] {
        screen = session.screenshot();
        return !screen.isNull() && salespage::printButton(screen).has_value();
    }, kStateBoundMs)) << copy.log(QStringLiteral("ZelvoraMostrador.log")).toStdString();
    // The page's own background reaches the output's far corner: the window fills the output.
    EXPECT_EQ(screen.size(), QSize(1024, 768));
    EXPECT_EQ(screen.pixel(screen.width() - 1, screen.height() - 1) & 0xffffff, 0xeef1f5u);

    // The print link is the page's first stop for the keyboard.
    session.key({QStringLiteral("Tab"), QStringLiteral("Return")});
    EXPECT_EQ(terminal.read(salespage::kPortBytes.size(), kStateBoundMs), salespage::kPortBytes) << copy.log().toStdString();
    ASSERT_TRUE(waitUntil([&] { return copy.log().contains(QStringLiteral("] Termino de impresion por puerto\r\n")); },
                          kStateBoundMs));
    EXPECT_TRUE(copy.log().contains(QStringLiteral("\r\nParametro1: ") + salespage::kPrintUrl + QStringLiteral("\r\n")));
    // Ticketera ran in the session, as its user.
    EXPECT_EQ(QFileInfo(copy.workDir() + QStringLiteral("/Ticketera.log")).ownerId(), session.uid());
}

// The first start in the kiosk session, whose program runs Mostrador: the configuration window
// shows centred over the kiosk's window, which the compositor stretched over the output, instead
// of in a corner of its own; and a program of root's, as pkexec starts Configuracion (nothing of
// the environment but the X display), can show its window in the session.
TEST_F(SaleE2eTest, TheFirstStartInTheKioskSessionShowsTheConfigurationWindowOverTheKiosk)
{
    if (const QString reason = CageSession::skipReason(); !reason.isEmpty())
        GTEST_SKIP() << reason.toStdString();
    if (QStandardPaths::findExecutable(QStringLiteral("xhost")).isEmpty())
        GTEST_SKIP() << "xhost is not installed (scripts/setup.sh)";
    QDir(Kiosk::homeDir(copy) + QStringLiteral("/.config/zelvora")).removeRecursively();
    const CentralServer server;
    copy.storeServerAddress(QStringLiteral("127.0.0.1:%1").arg(server.httpPort()));
    const CageSession session(copy, CageSession::Backend::Headless);
    const Kiosk kiosk(copy, session.display(), logged, session.environment(),
                      session.wrapper() << copy.appDir() + QStringLiteral("kiosk-session"));

    // The window on the blank kiosk: the box of everything that is not white.
    QImage screen;
    QRect window;
    waitUntil([&] {
        const QImage now = session.screenshot();
        if (now.isNull())
            return false;
        screen = now;
        window = {};
        for (int y = 0; y < screen.height(); ++y)
            for (int x = 0; x < screen.width(); ++x)
                if ((screen.pixel(x, y) & 0xffffff) != 0xffffff)
                    window |= QRect(x, y, 1, 1);
        return window.size() == QSize(344, 635);
    }, 60000);
    ASSERT_FALSE(screen.isNull()) << copy.log(QStringLiteral("ZelvoraMostrador.log")).toStdString();
    EXPECT_EQ(window.size(), QSize(344, 635));
    EXPECT_EQ(window.topLeft(), QPoint((screen.width() - 344) / 2, (screen.height() - 635) / 2));
    EXPECT_TRUE(copy.log(QStringLiteral("ZelvoraMostrador.log"))
                    .contains(QStringLiteral("Se procedera a visualizar la ventana de configuracion de usuario")));

    QString display;
    for (const qint64 pid : processtree::liveTree(kiosk.pid())) {
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        if (processtree::executable(pid).endsWith(u'/' + logged) && environ.open(QIODevice::ReadOnly))
            for (const QByteArray &entry : environ.readAll().split('\0'))
                if (entry.startsWith("DISPLAY="))
                    display = QString::fromLocal8Bit(entry.mid(8));
    }
    ASSERT_FALSE(display.isEmpty());
    QProcess configuracion;
    configuracion.setProcessEnvironment(QProcessEnvironment());
    configuracion.setProcessChannelMode(QProcess::MergedChannels);
    configuracion.start(QStringLiteral("/usr/bin/env"),
                        {QStringLiteral("-i"), QStringLiteral("DISPLAY=") + display,
                         QStringLiteral("ZELVORA_TEMP_DIR=") + copy.workDir(), copy.appDir() + QStringLiteral("Configuracion")});
    // It waits in its window; one that cannot reach the display ends at once.
    EXPECT_FALSE(configuracion.waitForFinished(3000)) << configuracion.readAll().toStdString();
    configuracion.kill();
    configuracion.waitForFinished();
}
