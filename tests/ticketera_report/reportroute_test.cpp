// The report route in-process: whole print runs of TFrmPrincipal whose tickets are rendered
// to images instead of a queue, checked for what a person (or a scanner) sees on them.
#include "codepage.h"
#include "imageprobe.h"
#include "printspooler.h"
#include "printstringreader.h"
#include "recordingmessageboxes.h"
#include "textobject.h"
#include "tfrmprincipal.h"
#include "ticketeraui.h"
#include "ticketreportroute.h"
#include "workedexamples.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

constexpr double kDpi = 300;
const QString kMarker = PrintStringReader::kCutMarker.toString();
const QString kExample1 = workedexamples::kUrl1;

class ListedQueues : public platform::PrintSpooler {
public:
    QStringList queueNames() override { return {QStringLiteral("laser"), QStringLiteral("tickets")}; }
    QString displayName(const QString &queue) override { return queue; }
    bool submitRawJob(const QString &, const QString &, const QByteArray &, QString *) override { return false; }
};

struct Job {
    QString printer;
    report::PreparedReport prepared;
};

class ImageUi : public TicketeraUi {
public:
    RecordingMessageBoxes boxes;
    QList<Job> jobs;
    TicketReportRoute route{[this](const report::PreparedReport &prepared, const QString &printer) {
        jobs.append({printer, prepared});
    }};
    MessageBoxes &messageBoxes() override { return boxes; }
    ApplicationWindows *windows() override { return nullptr; }
    void runMainWindow() override {}
    ReportRoute *reportRoute() override { return &route; }
};

QByteArray blackBmp(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::black);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

// A block of bars is much taller than a line of text.
QString shape(const QList<InkBlock> &blocks)
{
    QString s;
    for (const InkBlock &b : blocks)
        s += b.height() > 100 ? u'B' : u'T';
    return s;
}

class ReportRouteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir().mkpath(appDir() + QStringLiteral("informes"));
        QDir().mkpath(appDir() + QStringLiteral("resources"));
        QDir().mkpath(workDir());
        for (const char *name : {"Ticket_peq_5cm.fr3", "ticket_gran_7cm.fr3"})
            QFile::copy(QStringLiteral(ZELVORA_SOURCE_DIR "/informes/") + QLatin1String(name),
                        appDir() + QStringLiteral("informes/") + QLatin1String(name));
        qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(workDir()));
        settings("PRINTER=1\nPAPER=1\n");
    }
    void TearDown() override { qunsetenv("ZELVORA_TEMP_DIR"); }

    QString appDir() const { return m_dir.path() + QStringLiteral("/app/"); }
    QString workDir() const { return m_dir.path() + QStringLiteral("/work"); }
    void write(const QString &path, const QByteArray &content) const
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    void settings(const QByteArray &keys) const { write(appDir() + QStringLiteral("Ticketera.ini"), "[PRINTER_CONFIG]\n" + keys); }
    QString log() const
    {
        QFile f(workDir() + QStringLiteral("/Ticketera.log"));
        return f.open(QIODevice::ReadOnly) ? CodePage::toUnicode(f.readAll()) : QString();
    }
    // Every line in the log, in this order.
    void expectLog(const QStringList &lines, const char *context = "") const
    {
        const QString text = log();
        qsizetype from = 0;
        for (const QString &line : lines) {
            const qsizetype at = text.indexOf(line, from);
            EXPECT_GE(at, 0) << context << ": missing or out of order: " << line.toStdString();
            from = at < 0 ? from : at + line.size();
        }
    }

    // One run of Ticketera with `url`; its jobs land in m_ui.jobs.
    void run(const QString &url)
    {
        m_ui.jobs.clear();
        m_ui.boxes.boxes.clear();
        QFile::remove(workDir() + QStringLiteral("/Ticketera.log"));
        TFrmPrincipal form(appDir(), {appDir() + QStringLiteral("Ticketera"), url}, m_ui,
                           [](QString *) { return std::make_unique<ListedQueues>(); });
        EXPECT_EQ(form.FormCreate(), TFrmPrincipal::Outcome::Ended);
    }
    QImage page(int job = 0, double dpi = kDpi) const
    {
        const auto &pages = m_ui.jobs.at(job).prepared.pages();
        EXPECT_EQ(pages.size(), 1);
        return m_ui.jobs.at(job).prepared.renderPage(0, dpi);
    }

    QTemporaryDir m_dir;
    ImageUi m_ui;
};

} // namespace

TEST_F(ReportRouteTest, WorkedExampleOneOnSevenCentimetrePaper)
{
    run(kExample1);
    ASSERT_EQ(m_ui.jobs.size(), 1);
    EXPECT_TRUE(m_ui.boxes.boxes.isEmpty());
    EXPECT_EQ(m_ui.jobs[0].printer, "tickets");
    EXPECT_EQ(m_ui.jobs[0].prepared.settings().paperMm, QSizeF(71, 297));

    const QImage image = page();
    const QList<InkBlock> blocks = inkBlocks(image);
    // Two lines, the bars with their digits, the after-line; the blank lines leave no ink.
    ASSERT_EQ(shape(blocks), "TTBTT");
    EXPECT_GT(blocks[0].height(), blocks[4].height() + 1); // 8 pt capitals over 7 pt "Gracias"
    // No logos, no title band: the first line starts at the top margin of 4 mm.
    EXPECT_LT(blocks[0].top, qRound(7 / 25.4 * kDpi));
    EXPECT_EQ(scanBarcodes(image), QStringList{"CODE-128:12345678901234567890"});

    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(m_ui.jobs[0].prepared.writePdf(dir.path() + QStringLiteral("/t.pdf"), &error));
    EXPECT_EQ(pdfLines(dir.path() + QStringLiteral("/t.pdf")),
              (QStringList{"RECARGA MOVIL", "Importe: 10,00", "12345678901234567890", "Gracias"}));

    expectLog({"] Impresion directo a impresora: 1\r\n", "] Numero de elementos de StringLineasBefore:2\r\n",
               "] Numero de elementos de StringLineasAfter:4\r\n", "] Informe que se carga: ticket_gran_7cm.fr3\r\n\r\n",
               "] Ruta imagen logotipo cliente: \r\n", "] logoClienteVisible: 0 logoPrvVisible: -1\r\n",
               "] Punto inicio de logo proveedor: 7.55906\r\n", "] Revisar impresion logotipo proveedor\r\n",
               "] logoClienteVisible: 0 logoPrvVisible: 0\r\n", "] Visible de Repor title: false\r\n",
               "] Codigo de barras INICIO OCULTO\r\n", "] Hay codigo barras: TRUE\r\n",
               "] Posicion codigo barras: posbcIntermedio\r\n",
               "] LineBefore 0 imprimida en informe: RECARGA MOVIL\r\n",
               "] LineBefore 1 imprimida en informe: Importe: 10,00\r\n",
               "] Codigo de barras INTERMEDIO VISUALIZADO. Codificado desde la cadena: 12345678901234567890\r\n",
               "] LineAfter 0 imprimida en informe: Gracias\r\n", "] LineAfter 3 imprimida en informe:  \r\n",
               "] Codigo de barras FINAL OCULTO\r\n"});
    EXPECT_FALSE(log().contains(QStringLiteral("ERROR")));
}

TEST_F(ReportRouteTest, BarcodeAtEachPlaceAndInEachSymbology)
{
    const struct {
        const char *url;
        const char *shape;
        QStringList scanned;
        const char *logLine;
    } cases[] = {
        {"LIB&0&1&2&12345678901234567890&0&&1uno&0dos", "BTTT", {"CODE-128:12345678901234567890"},
         "] Codigo de barras INICIO VISUALIZADO. Codificado desde la cadena: 12345678901234567890\r\n"},
        {"LIB&2&1&0&12345678901234567890&0&&1uno&0dos", "TTBT", {"CODE-128:12345678901234567890"},
         "] Codigo de barras FINAL VISUALIZADO. Codificado desde la cadena: 12345678901234567890\r\n"},
        {"LIB&2&7&0&12345678901234567890&0&&1uno&0dos", "TT", {}, "] Hay codigo barras: FALSE\r\n"},
        {"LIB&1&1&1&123&0&&1uno&0dos", "TBTT", {"CODE-128:123"}, "] Posicion codigo barras: posbcIntermedio\r\n"},
        {"LIB&1&1&0&12345&1&&1uno", "TBT", {"I2/5:012345"}, "] NumTipoBarcode: 1\r\n"},
        {"LIB&1&1&0&12A45&1&&1uno", "TT", {},
         "] ERROR: Codigo de barras FINAL impreso sin barras: Interleaved 2 of 5 solo codifica dígitos\r\n"},
    };
    for (const auto &c : cases) {
        run(QStringLiteral("ZVR:") + QLatin1String(c.url));
        ASSERT_EQ(m_ui.jobs.size(), 1) << c.url;
        const QImage image = page();
        EXPECT_EQ(shape(inkBlocks(image)), QLatin1String(c.shape)) << c.url;
        EXPECT_EQ(scanBarcodes(image), c.scanned) << c.url;
        expectLog({QString::fromUtf8(c.logLine)}, c.url);
    }
}

TEST_F(ReportRouteTest, LogosAndTheTitleBand)
{
    const QString client = m_dir.path() + QStringLiteral("/logo.bmp");
    const double top = 7.55906;          // of imgLogotipo
    const double margin = 4 * 96 / 25.4; // the page's top margin in units
    const struct {
        const char *name;
        QSize client; // empty: no client logo configured
        QSize provider;
        double title;         // height of the title band; 0 when hidden
        QList<int> logoTops;  // pixels at 96 dpi, one per logo drawn
        QSize firstLogoInk;   // what the first logo covers on paper
        const char *logLine;
    } cases[] = {
        {"neither", {}, {}, 0, {}, {}, "] Visible de Repor title: false\r\n"},
        {"client only", {100, 60}, {}, 60 + 2 * top, {23}, {100, 60}, "] Alto de Repor title: 75.11812\r\n"},
        {"provider only, moved to the client's place", {}, {80, 40}, 40 + 2 * top, {23}, {80, 40},
         "] Punto inicio de logo proveedor: 7.55906\r\n"},
        {"both", {100, 120}, {80, 40}, 120 + 40 + 4 * top, {23, 147}, {100, 120}, "] Alto de Repor title: 190.23624\r\n"},
        {"a 200 pixel high client logo keeps its designed width", {150, 200}, {}, 200 + 2 * top, {23}, {120, 200},
         "] Alto de logo cliente: 200\r\n"},
        // A short client logo would leave the provider logo under the lines: the band grows to hold it.
        {"both, short client logo", {100, 60}, {80, 40}, 132.28355 + 40, {23, 147}, {100, 60},
         "] Alto de Repor title: 130.23624\r\n"},
    };
    for (const auto &c : cases) {
        QByteArray keys = "PRINTER=1\nPAPER=1\n";
        if (!c.client.isEmpty()) {
            write(client, blackBmp(c.client.width(), c.client.height()));
            keys += "LOGO=" + client.toUtf8() + "\n";
        }
        settings(keys);
        const bool provider = !c.provider.isEmpty();
        if (provider)
            write(appDir() + QStringLiteral("resources/PRV.lpf"), blackBmp(c.provider.width(), c.provider.height()));
        run(QStringLiteral("ZVR:LIB&1&0&0&&0&") + (provider ? QStringLiteral("PRV") : QString()) + QStringLiteral("&1linea"));
        ASSERT_EQ(m_ui.jobs.size(), 1) << c.name;

        // The line starts right below the title band.
        const auto &items = m_ui.jobs[0].prepared.pages()[0];
        const auto line = std::find_if(items.begin(), items.end(), [](const auto &item) {
            return dynamic_cast<const report::TextObject *>(item.object.get()) != nullptr;
        });
        ASSERT_NE(line, items.end()) << c.name;
        EXPECT_NEAR(line->rect.top(), margin + c.title, 1e-6) << c.name;

        const QList<InkBlock> blocks = inkBlocks(page(0, 96));
        ASSERT_EQ(blocks.size(), c.logoTops.size() + 1) << c.name;
        for (qsizetype i = 0; i < c.logoTops.size(); ++i)
            EXPECT_EQ(blocks[i].top, c.logoTops[i]) << c.name;
        if (!c.logoTops.isEmpty()) {
            EXPECT_EQ(blocks[0].width(), c.firstLogoInk.width()) << c.name;
            EXPECT_EQ(blocks[0].height(), c.firstLogoInk.height()) << c.name;
        }
        expectLog({QString::fromUtf8(c.logLine)}, c.name);
        // The temporary copy is gone, the provider's own file stays.
        EXPECT_FALSE(QFile::exists(workDir() + QStringLiteral("/PRV.bmp"))) << c.name;
        EXPECT_EQ(QFile::exists(appDir() + QStringLiteral("resources/PRV.lpf")), provider) << c.name;
        QFile::remove(appDir() + QStringLiteral("resources/PRV.lpf"));
    }
}

TEST_F(ReportRouteTest, ProviderLogoCopyLeftBehindIsShownThenRemoved)
{
    write(appDir() + QStringLiteral("resources/PRV.lpf"), blackBmp(80, 40));
    write(workDir() + QStringLiteral("/PRV.bmp"), blackBmp(80, 25));
    run(QStringLiteral("ZVR:LIB&1&0&0&&0&PRV&1linea"));
    const QList<InkBlock> blocks = inkBlocks(page(0, 96));
    ASSERT_EQ(blocks.size(), 2);
    EXPECT_EQ(blocks[0].height(), 25);
    EXPECT_FALSE(QFile::exists(workDir() + QStringLiteral("/PRV.bmp")));
    EXPECT_TRUE(QFile::exists(appDir() + QStringLiteral("resources/PRV.lpf")));
    expectLog({"] Ruta imagen logotipo proveedor: " + appDir() + "resources/PRV.lpf\r\n",
               "] Ruta imagen temporal logotipo proveedor: " + workDir() + "/PRV.bmp\r\n",
               "] Se visualiza el logotipo de provedor: " + workDir() + "/PRV.bmp\r\n", "] Alto de logo proveedor: 25\r\n"});

    QFile::remove(appDir() + QStringLiteral("resources/PRV.lpf"));
    run(QStringLiteral("ZVR:LIB&1&0&0&&0&PRV&1linea"));
    expectLog({"] Fichero logotipo proveedor: " + workDir() + "/PRV.bmp no existe\r\n", "] Visible de Repor title: false\r\n"});

    // A provider file that is no bitmap ends the preparation before anything was output: no
    // blank ticket, the general error instead. Its copy is removed all the same.
    QImage(20, 20, QImage::Format_RGB32).save(appDir() + QStringLiteral("resources/PRV.lpf"), "PNG");
    run(QStringLiteral("ZVR:LIB&1&0&0&&0&PRV&1linea"));
    EXPECT_TRUE(m_ui.jobs.isEmpty());
    EXPECT_EQ(m_ui.boxes.boxes.size(), 1);
    EXPECT_FALSE(QFile::exists(workDir() + QStringLiteral("/PRV.bmp")));
    expectLog({"] ERROR INFORME - Preparacion interrumpida. Clase de error: ImageFormatError Mensaje del error: ",
               "] ERROR EXCEPTION- Clase de error: ImageFormatError Mensaje del error: "});
}

TEST_F(ReportRouteTest, ProviderLogoCopyPlantedByAnotherUserIsNotShown)
{
    // The work directory is every user's: what another user put under the copy's name is theirs.
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to leave a file of another user";
    const QString planted = workDir() + QStringLiteral("/PRV.bmp");
    const QString elsewhere = m_dir.path() + QStringLiteral("/elsewhere.bmp");
    const struct {
        const char *name;
        std::function<void()> plant;
    } rows[] = {
        {"a link to a picture elsewhere", [&] { QFile::link(elsewhere, planted); }},
        {"another user's picture", [&] {
             write(planted, blackBmp(80, 25));
             ASSERT_EQ(chown(QFile::encodeName(planted).constData(), 65534, 65534), 0);
         }},
        {"a second name of a picture elsewhere",
         [&] { ASSERT_EQ(link(QFile::encodeName(elsewhere).constData(), QFile::encodeName(planted).constData()), 0); }},
    };
    write(appDir() + QStringLiteral("resources/PRV.lpf"), blackBmp(80, 40));
    write(elsewhere, blackBmp(80, 25));
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        row.plant();
        run(QStringLiteral("ZVR:LIB&1&0&0&&0&PRV&1linea"));
        ASSERT_EQ(m_ui.jobs.size(), 1);
        EXPECT_EQ(inkBlocks(page(0, 96)).size(), 1); // the line, no logo
        expectLog({"] Fichero logotipo proveedor: " + workDir() + "/PRV.bmp no existe\r\n"});
        EXPECT_TRUE(QFile::exists(elsewhere));
        QFile::remove(planted);
    }
}

TEST_F(ReportRouteTest, ProviderLogoNamesNeverLeaveTheirFolders)
{
    // Files a hostile name would read or delete: beside resources/ and beside the work directory.
    const QByteArray logo = blackBmp(80, 40);
    write(appDir() + QStringLiteral("PRV.lpf"), logo);
    write(appDir() + QStringLiteral("resources/PRV.lpf"), logo);
    write(m_dir.path() + QStringLiteral("/PRV.bmp"), logo);
    for (const char *name : {"../PRV", "sub/../../PRV", "..", "..\\PRV", "%2E%2E%2FPRV"}) {
        run(QStringLiteral("ZVR:LIB&1&0&0&&0&") + QLatin1String(name) + QStringLiteral("&1linea"));
        ASSERT_EQ(m_ui.jobs.size(), 1) << name;
        EXPECT_EQ(inkBlocks(page(0, 96)).size(), 1) << name; // the line, no logo
        EXPECT_TRUE(log().contains(QStringLiteral("] ERROR: Nombre de logotipo de proveedor NO valido, no se imprime: ")))
            << name;
        EXPECT_FALSE(log().contains(QStringLiteral("Ruta imagen logotipo proveedor"))) << name;
        EXPECT_TRUE(QFile::exists(m_dir.path() + QStringLiteral("/PRV.bmp"))) << name;
        EXPECT_TRUE(QFile::exists(appDir() + QStringLiteral("PRV.lpf"))) << name;
        EXPECT_FALSE(QFile::exists(workDir() + QStringLiteral("/PRV.bmp"))) << name;
    }
}

TEST_F(ReportRouteTest, FontSizesFollowFormatCodeAndPaper)
{
    const struct {
        const char *paper;
        const char *lines;        // line fields, all of the same text
        QList<double> points;     // expected size of each printed line
    } cases[] = {
        {"1", "1MMMMMM&0MMMMMM", {8, 7}},
        {"0", "1MMMMMM&0MMMMMM", {6, 6}},
        {"1", "xMMMMMM&0MMMMMM&5MMMMMM", {8, 7, 7}}, // other codes keep the size: first the template's
        {"0", "xMMMMMM", {6}},                      // the 5 cm template's own size
        // A cut marker after lines of two codes: the next ticket's first line takes the code of
        // this ticket's first line, not of its last.
        {"1", "1MMMMMM&0MMMMMM&0@MMMMMM", {8, 7, 8}},
    };
    QList<double> widthPerPoint;
    for (const auto &c : cases) {
        settings(QByteArray("PRINTER=1\nPAPER=") + c.paper + "\n");
        const QString lines = QString::fromLatin1(c.lines).replace(u'@', kMarker);
        const int count = static_cast<int>(lines.count(u'&') + 1);
        run(QStringLiteral("ZVR:LIB&%1&0&0&&0&&").arg(count) + lines);
        ASSERT_GE(m_ui.jobs.size(), 1) << c.lines;
        QList<InkBlock> blocks;
        for (qsizetype job = 0; job < m_ui.jobs.size(); ++job)
            blocks += inkBlocks(page(job));
        ASSERT_EQ(blocks.size(), c.points.size()) << c.lines;
        for (int i = 0; i < blocks.size(); ++i)
            widthPerPoint << blocks[i].width() / c.points[i];
    }
    // The same text is as wide as its size, on either paper.
    const auto [lo, hi] = std::minmax_element(widthPerPoint.begin(), widthPerPoint.end());
    EXPECT_LT(*hi / *lo, 1.04) << *lo << " to " << *hi;
}

TEST_F(ReportRouteTest, EachTicketStartsFromTheTemplate)
{
    // Ticket 1 leaves Memo3 at 7 pt; ticket 2's first line keeps the size it finds, which must
    // be the template's 8 pt again. Both tickets carry the same client logo.
    const QString client = m_dir.path() + QStringLiteral("/logo.bmp");
    write(client, blackBmp(100, 60));
    settings("PRINTER=1\nPAPER=1\nLOGO=" + client.toUtf8() + "\n");
    run(QStringLiteral("ZVR:LIB&3&0&1&&0&&9MMMM&0MMMM&0") + kMarker + QStringLiteral("CCCC&9MMMM"));
    ASSERT_EQ(m_ui.jobs.size(), 2);
    const QList<InkBlock> first = inkBlocks(page(0));
    const QList<InkBlock> second = inkBlocks(page(1));
    ASSERT_EQ(first.size(), 4);  // logo, 8 pt, 7 pt, the after-line
    ASSERT_EQ(second.size(), 2); // logo, 8 pt
    EXPECT_LT(first[2].width(), first[1].width() - 5);
    EXPECT_EQ(second[1].width(), first[1].width());
    EXPECT_EQ(second[0].top, first[0].top);
    EXPECT_EQ(second[1].top, first[1].top);
}

TEST_F(ReportRouteTest, FailuresOfTheRoute)
{
    const struct {
        const char *name;
        QByteArray keys;
        bool removeTemplate;
        int jobs;      // handed to the printer
        int pages;     // in the first job
        QString box;   // general error message, or empty
        QStringList logLines;
    } cases[] = {
        {"index not an integer", "PRINTER=x\nPAPER=1\n", false, 0, 0, "Se produjo un error en la impresión",
         {"] ERROR EXCEPTION- Clase de error: ConversionError Mensaje del error: ''x'' is not a valid integer value\r\n"}},
        {"index outside the list", "PRINTER=2\nPAPER=1\n", false, 0, 0, "Se produjo un error en la impresión",
         {"] ERROR EXCEPTION- Clase de error: PrinterError Mensaje del error: La impresora 2 no existe: el sistema "
          "tiene 2 impresoras\r\n"}},
        {"paper type not an integer", "PRINTER=0\nPAPER=grande\n", false, 0, 0, "Se produjo un error en la impresión",
         {"] ERROR EXCEPTION- Clase de error: ConversionError Mensaje del error: ''grande'' is not a valid integer value\r\n"}},
        {"paper type 2: the empty layout", "PRINTER=0\nPAPER=2\n", false, 1, 0, QString(),
         {"] Informe que se carga: \r\n\r\n"}},
        {"missing template: the empty layout", "PRINTER=0\nPAPER=1\n", true, 1, 0, QString(),
         {"] Informe que se carga: ticket_gran_7cm.fr3\r\n\r\n"}},
        // The preparation ends at the first callback: a blank ticket would reach the printer.
        {"client logo that is not a bitmap", "PRINTER=0\nPAPER=1\nLOGO=@PNG@\n", false, 0, 0,
         "Se produjo un error en la impresión",
         {"] ERROR INFORME - Preparacion interrumpida. Clase de error: ImageFormatError Mensaje del error: El fichero ",
          "] ERROR EXCEPTION- Clase de error: ImageFormatError Mensaje del error: El fichero "}},
    };
    const QString png = m_dir.path() + QStringLiteral("/logo.png");
    QImage(50, 50, QImage::Format_RGB32).save(png, "PNG");
    const QString templatePath = appDir() + QStringLiteral("informes/ticket_gran_7cm.fr3");
    for (const auto &c : cases) {
        settings(QByteArray(c.keys).replace("@PNG@", png.toUtf8()));
        if (c.removeTemplate)
            QFile::rename(templatePath, templatePath + QStringLiteral(".away"));
        run(kExample1);
        if (c.removeTemplate)
            QFile::rename(templatePath + QStringLiteral(".away"), templatePath);
        EXPECT_EQ(m_ui.jobs.size(), c.jobs) << c.name;
        if (!m_ui.jobs.isEmpty()) {
            EXPECT_EQ(m_ui.jobs[0].prepared.pages().size(), c.pages) << c.name;
        }
        if (c.box.isEmpty()) {
            EXPECT_TRUE(m_ui.boxes.boxes.isEmpty()) << c.name;
        } else {
            ASSERT_EQ(m_ui.boxes.boxes.size(), 1) << c.name;
            EXPECT_EQ(m_ui.boxes.boxes[0].caption, "Error") << c.name;
            EXPECT_EQ(m_ui.boxes.boxes[0].text, c.box) << c.name;
        }
        expectLog(c.logLines, c.name);
    }
}

TEST_F(ReportRouteTest, VariablesOfTheTemplate)
{
    // A template whose title shows the paper type, a name the program does not know, and a
    // before-line outside any data band (record 0 of an empty list).
    write(appDir() + QStringLiteral("informes/ticket_gran_7cm.fr3"), R"(<report><page paperWidth="71" paperHeight="50">
        <band name="T" kind="title" height="20"><text name="v" width="240" height="15" text="[tipopapel]/[Otra]/[elementBefore]"/></band>
        </page></report>)");
    run(QStringLiteral("ZVR:LIB&0&0&1&&0&&1x"));
    ASSERT_EQ(m_ui.jobs.size(), 1);
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(m_ui.jobs[0].prepared.writePdf(dir.path() + QStringLiteral("/v.pdf"), &error));
    EXPECT_EQ(pdfLines(dir.path() + QStringLiteral("/v.pdf")), QStringList{"1//"});
    expectLog({"] ERROR IMPRESION: VALOR NO ENCONTRADO DE LA VARIABLE DE INFORME:Otra\r\n",
               "] ERROR IMPRESION: VALOR NO ENCONTRADO DE LA VARIABLE DE INFORME:elementBefore\r\n"});
}
