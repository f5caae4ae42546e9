// A sale becomes a ticket, on this machine: the installed programs (the build's stage copy), the
// local central server, Mostrador on a private X server with stored credentials, a click on the
// sales page's print button, and what Ticketera printed: the bytes on a pseudo-terminal port and,
// when a private CUPS can run, the PDF of the report route rendered to PNG. Everything it shows is
// kept in the folder named on the command line.
#include "centralserver.h"
#include "cupsserver.h"
#include "installedcopy.h"
#include "kiosk.h"
#include "pseudoterminal.h"
#include "saleclick.h"
#include "storedlogin.h"
#include "xvfbserver.h"
#include "xwindows.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <cstdio>

namespace {

void say(const QString &text)
{
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

// Runs a tool whose standard output is part of the demo; its complaints are not.
void show(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    process.start(program, arguments);
    process.waitForFinished(60000);
}

bool save(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The port's bytes as a person reads them: printable characters as they are, the rest escaped.
QString readable(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n')
            text += QStringLiteral("\\n\n");
        else if (c == '\r')
            text += QStringLiteral("\\r");
        else if (byte >= 32 && byte < 127)
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    return text;
}

class SaleDemo {
public:
    explicit SaleDemo(QString folder) : m_folder(std::move(folder)) {}

    bool run()
    {
        const XvfbServer xvfb(1280, 800);
        const XWindows x(xvfb.display());
        const CentralServer server;
        say(QStringLiteral("== local central server on %1").arg(server.httpUrl()));
        if (!storedlogin::storeCredentials(m_copy, QStringLiteral("Tienda Centro"), QStringLiteral("clave-7")))
            return failed(QStringLiteral("the credentials could not be stored"));
        saleclick::registerTicketera(m_copy);

        PseudoTerminal port;
        writeSettings(server, "PRINTER=\r\nGENERICTEXTONLY=0\r\nPAPER=\r\nLOGO=\r\nIMPRIMIRPUERTO=1\r\n"
                              "PUERTOIMPRESION=COM1\r\n[PORTS]\r\nCOM1=" +
                                  QFile::encodeName(port.devicePath()) + "\r\n");
        say(QStringLiteral("== Mostrador, logged in with stored credentials; COM1 is %1").arg(port.devicePath()));
        {
            Kiosk kiosk(m_copy, xvfb.display());
            if (!sell(kiosk, x, QStringLiteral("1")))
                return false;
            const QByteArray bytes = port.read(-1, 1500);
            save(m_folder + QStringLiteral("/port-bytes.bin"), bytes);
            if (bytes.isEmpty())
                return failed(QStringLiteral("nothing reached the port"));
            say(QStringLiteral("-- %1 bytes on the port (%2/port-bytes.bin):").arg(bytes.size()).arg(m_folder));
            say(readable(bytes));
        }

        CupsServer cups;
        if (!cups.isRunning()) {
            say(QStringLiteral("== no private CUPS here (%1): the report route is not shown").arg(cups.skipReason()));
            return keepLogs();
        }
        // The settings name a printer by its place in the list: the queue is the only one.
        cups.addPdfQueue(QStringLiteral("Recibos"), QStringLiteral("Recibos PDF"));
        // Poppler's conversion keeps the characters of the glyphs, so the PDF's text can be read.
        cups.runClient(QStringLiteral("lpadmin"), {QStringLiteral("-p"), QStringLiteral("Recibos"), QStringLiteral("-o"),
                                                   QStringLiteral("pdftops-renderer-default=pdftocairo")});
        writeSettings(server, "PRINTER=0\r\nGENERICTEXTONLY=0\r\nPAPER=1\r\nLOGO=\r\nIMPRIMIRPUERTO=0\r\n");
        say(QStringLiteral("== the same sale through the 7 cm report template on the CUPS queue \"Recibos\""));
        {
            Kiosk kiosk(m_copy, xvfb.display(), QStringLiteral("Mostrador"), cups.environment());
            if (!sell(kiosk, x, QStringLiteral("2")))
                return false;
            // One job per ticket: the customer's and the copy.
            const QStringList pdfs = cups.waitForPdfs(2);
            if (pdfs.size() < 2)
                return failed(QStringLiteral("the queue wrote %1 PDF files of 2").arg(pdfs.size()));
            for (int i = 0; i < pdfs.size(); ++i) {
                const QString name = m_folder + QStringLiteral("/ticket-%1").arg(i + 1);
                QFile::remove(name + QStringLiteral(".pdf"));
                QFile::copy(pdfs.at(i), name + QStringLiteral(".pdf"));
                show(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("150"),
                                                               QStringLiteral("-png"), QStringLiteral("-singlefile"),
                                                               name + QStringLiteral(".pdf"), name});
                say(QStringLiteral("-- ticket %1: %2.pdf, %2.png; its text and its barcode as a scanner reads it:")
                        .arg(i + 1)
                        .arg(name));
                show(QStringLiteral("pdftotext"),
                                  {QStringLiteral("-layout"), name + QStringLiteral(".pdf"), QStringLiteral("-")});
                show(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), name + QStringLiteral(".png")});
            }
        }
        return keepLogs();
    }

private:
    // The settings of one run: the printer part, the stored server address, autologin on.
    void writeSettings(const CentralServer &server, const QByteArray &printer) const
    {
        m_copy.writeSettings("[CONNECTION]\r\nAUTOL=1\r\n[PRINTER_CONFIG]\r\n" + printer);
        m_copy.storeServerAddress(QStringLiteral("127.0.0.1:%1").arg(server.httpPort()));
    }

    // Waits for the sales page, photographs it, clicks its print button.
    bool sell(Kiosk &kiosk, const XWindows &x, const QString &run)
    {
        QString window;
        QPoint button;
        const bool shown = waitUntil([&] {
            window = x.visibleWindowsOf(kiosk.pid()).value(0);
            return !window.isEmpty() && saleclick::findPrintButton(x.capture(window), &button);
        }, 60000);
        if (!shown)
            return failed(QStringLiteral("the sales page did not show: ") + QString::fromLocal8Bit(kiosk.standardError()));
        x.screenshot(m_folder + QStringLiteral("/%1-sales-page.png").arg(run));
        say(QStringLiteral("-- the sales page shows (%1/%2-sales-page.png); clicking \"Imprimir ticket\"").arg(m_folder, run));
        x.click(window, button, 1);
        return true;
    }

    bool keepLogs() const
    {
        for (const QString &name : {QStringLiteral("Ticketera.log"), QStringLiteral("ZelvoraMostrador.log")}) {
            QFile::remove(m_folder + u'/' + name);
            QFile::copy(m_copy.workDir() + u'/' + name, m_folder + u'/' + name);
        }
        say(QStringLiteral("== the programs' logs: %1/ZelvoraMostrador.log and %1/Ticketera.log").arg(m_folder));
        return true;
    }

    bool failed(const QString &why) const
    {
        keepLogs();
        say(QStringLiteral("!! ") + why);
        return false;
    }

    QString m_folder;
    InstalledCopy m_copy;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: sale-demo FOLDER (screenshots, port bytes, PDF and logs go there)\n");
        return 2;
    }
    const QString folder = QDir(arguments.at(1)).absolutePath();
    QDir().mkpath(folder);
    return SaleDemo(folder).run() ? 0 : 1;
}
