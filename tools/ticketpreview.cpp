// ticket-preview: renders a print string the way Ticketera's report route prints it, one PNG
// per printed page, without a printer. For looking at templates and for the documentation.
#include "messageboxes.h"
#include "printspooler.h"
#include "printererror.h"
#include "printstringreader.h"
#include "printurl.h"
#include "tfrmprincipal.h"
#include "ticketeraui.h"
#include "ticketreportroute.h"
#include "urlencodedtext.h"
#include "zelvoraerror.h"

#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// The one "printer" of a preview.
class PreviewSpooler : public platform::PrintSpooler {
public:
    QStringList queueNames() override { return {QStringLiteral("preview")}; }
    QString displayName(const QString &queue) override { return queue; }
    bool submitRawJob(const QString &, const QString &, const QByteArray &, QString *error) override
    {
        *error = QStringLiteral("a preview prints no raw jobs");
        return false;
    }
};

class PreviewUi : public TicketeraUi {
public:
    class StderrBoxes : public MessageBoxes {
        void show(Icon, const QString &caption, const QString &text) override
        {
            std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
        }
    };

    explicit PreviewUi(ReportRoute &route) : m_route(route) {}
    MessageBoxes &messageBoxes() override { return m_boxes; }
    ApplicationWindows *windows() override { return nullptr; }
    void runMainWindow() override {}
    ReportRoute *reportRoute() override { return &m_route; }

private:
    ReportRoute &m_route;
    StderrBoxes m_boxes;
};

// The page cut below its last mark, keeping the bottom margin: a receipt is as long as it is.
QImage trimmed(const QImage &page, int marginPixels)
{
    int last = -1;
    for (int y = page.height() - 1; y >= 0 && last < 0; --y) {
        const auto *row = reinterpret_cast<const QRgb *>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(row[x]) < 250) {
                last = y;
                break;
            }
        }
    }
    return page.copy(0, 0, page.width(), std::min(page.height(), last + 1 + marginPixels));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Renders a print string (or a whole ZVR: URL) through the ticket templates into PNG files: "
        "OUTPUT for the first page, OUTPUT-2.png and so on for the following ones."));
    parser.addHelpOption();
    const QCommandLineOption paper(QStringLiteral("paper"), QStringLiteral("Paper type: 0 (5 cm) or 1 (7 cm)."),
                                   QStringLiteral("type"), QStringLiteral("1"));
    const QCommandLineOption logo(QStringLiteral("logo"), QStringLiteral("The customer's logo (a BMP file)."),
                                  QStringLiteral("file"));
    const QCommandLineOption app(QStringLiteral("app"),
                                 QStringLiteral("Installation directory holding informes/ and resources/."),
                                 QStringLiteral("dir"), QStringLiteral(ZELVORA_SOURCE_DIR));
    const QCommandLineOption dpi(QStringLiteral("dpi"), QStringLiteral("Resolution of the images."),
                                 QStringLiteral("dpi"), QStringLiteral("203"));
    const QCommandLineOption trim(QStringLiteral("trim"), QStringLiteral("Cut each page below its last line."));
    const QCommandLineOption edge(QStringLiteral("edge"), QStringLiteral("Draw the paper's edge in grey."));
    parser.addOptions({paper, logo, app, dpi, trim, edge});
    parser.addPositionalArgument(QStringLiteral("output"), QStringLiteral("PNG file of the first page."));
    parser.addPositionalArgument(QStringLiteral("print-string"), QStringLiteral("LIB&... or ZVR:LIB&..."));
    parser.process(application);
    if (parser.positionalArguments().size() != 2)
        parser.showHelp(2);
    const QString output = parser.positionalArguments().at(0);
    QString printString = parser.positionalArguments().at(1);
    const double resolution = parser.value(dpi).toDouble();
    if (resolution <= 0)
        parser.showHelp(2);

    // The run's log and the provider logo's temporary copy stay out of the real work directory.
    QTemporaryDir work;
    if (qEnvironmentVariableIsEmpty("ZELVORA_TEMP_DIR"))
        qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(work.path()));

    int written = 0;
    TicketReportRoute route([&](const report::PreparedReport &prepared, const QString &) {
        for (int i = 0; i < prepared.pages().size(); ++i) {
            QImage page = prepared.renderPage(i, resolution);
            if (parser.isSet(trim))
                page = trimmed(page, qRound(prepared.settings().marginBottomMm / 25.4 * resolution));
            if (parser.isSet(edge)) {
                QPainter painter(&page);
                painter.setPen(Qt::gray);
                painter.drawRect(page.rect().adjusted(0, 0, -1, -1));
            }
            QString name = output;
            if (written > 0)
                name = output.left(output.endsWith(QStringLiteral(".png")) ? output.size() - 4 : output.size()) +
                       QStringLiteral("-%1.png").arg(written + 1);
            if (!page.save(name, "PNG"))
                throw PrinterError(QStringLiteral("cannot write %1").arg(name));
            std::printf("%s\n", qPrintable(name));
            ++written;
        }
    });
    PreviewUi ui(route);
    QString dir = parser.value(app);
    if (!dir.endsWith(u'/'))
        dir += u'/';
    TFrmPrincipal form(dir, {}, ui, [](QString *) { return std::make_unique<PreviewSpooler>(); });
    form.configPrinter.indiceImpresora = QStringLiteral("0");
    form.configPrinter.tipoPapel = parser.value(paper);
    form.configPrinter.ficheroLogo = parser.value(logo);
    try {
        if (printString.startsWith(QStringLiteral("ZVR:"), Qt::CaseInsensitive))
            printString = UrlEncodedText::decode(PrintUrl::withoutScheme(printString));
        PrintStringReader reader(printString);
        form.header = reader.readHeader();
        while (reader.hasMoreTickets()) {
            form.ticket = TicketLines();
            form.altoReportTitle = 0;
            form.logoClienteVisible = true;
            form.logoPrvVisible = true;
            reader.readTicket(form.ticket);
            route.imprimir(form);
        }
    } catch (const ZelvoraError &e) {
        std::fprintf(stderr, "ticket-preview: %s: %s\n", qPrintable(e.className()), qPrintable(e.message()));
        return 1;
    }
    if (const auto &failure = route.frxReport1.failure())
        std::fprintf(stderr, "ticket-preview: the report stopped: %s: %s\n", qPrintable(failure->className),
                     qPrintable(failure->message));
    return 0;
}
