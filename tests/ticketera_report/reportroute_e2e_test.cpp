// The installed Ticketera printing through its report route on a private CUPS server: a PDF
// queue (cups-pdf) shows what reached the paper.
#include "cupsserver.h"
#include "imageprobe.h"
#include "installedcopy.h"
#include "windowcloser.h"
#include "xvfbserver.h"
#include "cups/cupsspooler.h"
#include "workedexamples.h"

#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kExample1 = workedexamples::kUrl1;

QString toolOutput(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A copy of the installation whose settings name the queue at `index`, and whose configuration
// program does nothing.
void prepare(const InstalledCopy &copy, const QByteArray &index)
{
    copy.writeSettings("[PRINTER_CONFIG]\r\nPRINTER=" + index + "\r\nPAPER=1\r\nGENERICTEXTONLY=0\r\n");
    copy.writeFile(QStringLiteral("Configuracion"), "#!/bin/sh\nexit 0\n");
    QFile::setPermissions(copy.appDir() + QStringLiteral("Configuracion"), QFileDevice::Permissions(0x7755));
}

} // namespace

TEST(TicketeraReportInstalled, WorkedExampleOneReachesAPdfQueue)
{
    CupsServer cups;
    if (!cups.isRunning())
        GTEST_SKIP() << cups.skipReason().toStdString();
    cups.addRawQueue(QStringLiteral("alpha"), QStringLiteral("Primera"));
    cups.addPdfQueue(QStringLiteral("tickets"), QStringLiteral("Tickets en PDF"));
    // Ghostscript's PostScript conversion, the filter's default, keeps the glyphs but not their
    // characters; Poppler's keeps both, so pdftotext can read the ticket back.
    cups.runClient(QStringLiteral("lpadmin"), {QStringLiteral("-p"), QStringLiteral("tickets"), QStringLiteral("-o"),
                                               QStringLiteral("pdftops-renderer-default=pdftocairo")});
    const InstalledCopy copy;
    prepare(copy, "1");
    // A client logo, and a locale whose decimal separator the log's heights must show.
    QImage logo(90, 60, QImage::Format_RGB32);
    logo.fill(Qt::black);
    ASSERT_TRUE(logo.save(copy.appDir() + QStringLiteral("logo.bmp"), "BMP"));
    copy.writeSettings("[PRINTER_CONFIG]\r\nPRINTER=1\r\nPAPER=1\r\nLOGO=" + copy.appDir().toUtf8() + "logo.bmp\r\n");
    QProcessEnvironment env = cups.environment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("es_ES.UTF-8"));
    // As a print server runs it: no display at all. Painting needs none.
    const InstalledCopy::Result result = copy.run(
        QStringLiteral("/usr/bin/env"),
        {QStringLiteral("-u"), QStringLiteral("DISPLAY"), QStringLiteral("-u"), QStringLiteral("WAYLAND_DISPLAY"),
         QStringLiteral("-u"), QStringLiteral("QT_QPA_PLATFORM"), copy.appDir() + QStringLiteral("Ticketera"), kExample1},
        env);
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0);

    const QStringList pdfs = cups.waitForPdfs(1);
    ASSERT_EQ(pdfs.size(), 1) << copy.log().toStdString();
    EXPECT_EQ(pdfLines(pdfs[0]), (QStringList{"RECARGA MOVIL", "Importe: 10,00", "12345678901234567890", "Gracias"}));
    // 71 x 297 mm, the template's paper.
    EXPECT_TRUE(toolOutput(QStringLiteral("pdfinfo"), {pdfs[0]}).contains(QRegularExpression(R"(Page size:\s+201(\.\d+)? x 841(\.\d+)? pts)")));
    QTemporaryDir dir;
    toolOutput(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                                            QStringLiteral("-singlefile"), pdfs[0], dir.path() + QStringLiteral("/page")});
    EXPECT_EQ(scanBarcodes(QImage(dir.path() + QStringLiteral("/page.png"))), QStringList{"CODE-128:12345678901234567890"});

    const QString log = copy.log();
    EXPECT_TRUE(log.contains(QStringLiteral("] Impresion directo a impresora: 1\r\n")));
    EXPECT_TRUE(log.contains(QStringLiteral("] Informe que se carga: ticket_gran_7cm.fr3\r\n")));
    EXPECT_TRUE(log.contains(QStringLiteral("] Alto de Repor title: 75,11812\r\n")));
    EXPECT_FALSE(log.contains(QStringLiteral("ERROR")));
    EXPECT_EQ(cups.takeRawJob(QStringLiteral("alpha"), 200), QByteArray());
}

TEST(TicketeraReportInstalled, AnIndexOutsideThePrinterListShowsTheGeneralError)
{
    CupsServer cups;
    if (!cups.isRunning())
        GTEST_SKIP() << cups.skipReason().toStdString();
    cups.addRawQueue(QStringLiteral("alpha"), QStringLiteral("Primera"));
    const InstalledCopy copy;
    prepare(copy, "3");
    const XvfbServer display;
    QProcessEnvironment env = cups.environment();
    env.insert(QStringLiteral("DISPLAY"), display.display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcess process;
    copy.start(process, QStringLiteral("Ticketera"), {kExample1}, env);
    EXPECT_EQ(closeWindowsUntilFinished(process, display.display()), QStringList{"Error"}) << copy.log().toStdString();
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(copy.log().contains(QStringLiteral("] ERROR EXCEPTION- Clase de error: PrinterError Mensaje del error: La "
                                                   "impresora 3 no existe: el sistema tiene 1 impresoras\r\n")));
    EXPECT_EQ(cups.takeRawJob(QStringLiteral("alpha"), 200), QByteArray());
}

// The configuration window stores a position in Qt's printer list; the run reads it from CUPS.
TEST(PrinterList, CupsOrderIsQtOrder)
{
    CupsServer cups;
    if (!cups.isRunning())
        GTEST_SKIP() << cups.skipReason().toStdString();
    for (const char *name : {"zeta", "alpha", "Mitad", "beta_2"})
        cups.addRawQueue(QLatin1String(name), QStringLiteral("cola ") + QLatin1String(name));
    cups.runClient(QStringLiteral("lpadmin"), {QStringLiteral("-d"), QStringLiteral("zeta")});
    qputenv("CUPS_SERVER", cups.address().toUtf8());
    const QStringList ours = platform::CupsSpooler().queueNames();
    EXPECT_EQ(ours.size(), 4);
    EXPECT_EQ(ours, QPrinterInfo::availablePrinterNames());
}
