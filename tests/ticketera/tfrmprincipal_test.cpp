#include "codepage.h"
#include "inifile.h"
#include "peakmemory.h"
#include "printspooler.h"
#include "printstringreader.h"
#include "pseudoterminal.h"
#include "recordingmessageboxes.h"
#include "reportroute.h"
#include "tfrmprincipal.h"
#include "ticketeraui.h"
#include "workedexamples.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

class FakeSpooler : public platform::PrintSpooler {
public:
    QStringList queues;
    QString refusal;
    QList<std::pair<QString, QByteArray>> jobs;

    QStringList queueNames() override { return queues; }
    QString displayName(const QString &queue) override { return queue; }
    bool submitRawJob(const QString &queue, const QString &, const QByteArray &data, QString *error) override
    {
        if (!refusal.isEmpty()) {
            *error = refusal;
            return false;
        }
        jobs.append({queue, data});
        return true;
    }
};

class FakeUi : public TicketeraUi {
public:
    RecordingMessageBoxes boxes;
    MessageBoxes &messageBoxes() override { return boxes; }
    ApplicationWindows *windows() override { return nullptr; }
    void runMainWindow() override {}
    ReportRoute *reportRoute() override { return nullptr; }
};

// One print run in-process, with its installation directory, settings and log in a
// temporary directory.
class RunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir().mkpath(appDir());
        qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(m_dir.path() + QStringLiteral("/work")));
        m_spooler.queues = {QStringLiteral("laser"), QStringLiteral("texto")};
    }
    void TearDown() override { qunsetenv("ZELVORA_TEMP_DIR"); }

    QString appDir() const { return m_dir.path() + QStringLiteral("/app/"); }
    void writeSettings(const QByteArray &content) const { writeApp(QStringLiteral("Ticketera.ini"), content); }
    void writeApp(const QString &name, const QByteArray &content, bool executable = false) const
    {
        QFile f(appDir() + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        if (executable)
            f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    }
    QString log() const
    {
        QFile f(m_dir.path() + QStringLiteral("/work/Ticketera.log"));
        return f.open(QIODevice::ReadOnly) ? CodePage::toUnicode(f.readAll()) : QString();
    }

    TFrmPrincipal::Outcome run(const QStringList &arguments)
    {
        TFrmPrincipal form(appDir(), QStringList{appDir() + QStringLiteral("Ticketera")} + arguments, m_ui,
                           [this](QString *) {
                               auto proxy = std::make_unique<ProxySpooler>(m_spooler);
                               return std::unique_ptr<platform::PrintSpooler>(std::move(proxy));
                           });
        return form.FormCreate();
    }

    // Hands the test's spooler to the run, which owns what it loads.
    class ProxySpooler : public platform::PrintSpooler {
    public:
        explicit ProxySpooler(FakeSpooler &target) : m_target(target) {}
        QStringList queueNames() override { return m_target.queueNames(); }
        QString displayName(const QString &q) override { return m_target.displayName(q); }
        bool submitRawJob(const QString &q, const QString &t, const QByteArray &d, QString *e) override
        {
            return m_target.submitRawJob(q, t, d, e);
        }

    private:
        FakeSpooler &m_target;
    };

    QTemporaryDir m_dir;
    FakeSpooler m_spooler;
    FakeUi m_ui;
};

const QString kExample1 = workedexamples::kUrl1;
const QByteArray kExample1Bytes = workedexamples::kTextBytes1;

} // namespace

TEST_F(RunTest, SettingsCheckChoosesRouteOrRepair)
{
    // A stand-in for the configuration program that leaves a trace when it runs.
    writeApp(QStringLiteral("Configuracion"), "#!/bin/sh\ntouch \"$(dirname \"$0\")/configuracion-ran\"\n", true);
    const struct {
        const char *name;
        QByteArray settings;
        bool repairRuns;
        const char *queue; // where the text job went, or nullptr for no job
        bool errorBox;     // a bad index that the repair left bad fails when the ticket prints
    } cases[] = {
        {"last printer of the list passes", "[PRINTER_CONFIG]\nPRINTER=1\nPAPER=1\nGENERICTEXTONLY=1\n", false, "texto",
         false},
        {"index equal to the number of printers repairs", "[PRINTER_CONFIG]\nPRINTER=2\nPAPER=1\nGENERICTEXTONLY=1\n",
         true, nullptr, true},
        {"negative index repairs", "[PRINTER_CONFIG]\nPRINTER=-1\nPAPER=1\nGENERICTEXTONLY=1\n", true, nullptr, true},
        {"index that is no number repairs", "[PRINTER_CONFIG]\nPRINTER=uno\nPAPER=1\nGENERICTEXTONLY=1\n", true,
         nullptr, true},
        {"text-only wins over the port", "[PRINTER_CONFIG]\nPRINTER=0\nPAPER=0\nGENERICTEXTONLY=1\nIMPRIMIRPUERTO=1\n",
         false, "laser", false},
        {"no paper type repairs and ends silently", "[PRINTER_CONFIG]\nPRINTER=0\nGENERICTEXTONLY=1\n", true, nullptr,
         false},
    };
    for (const auto &c : cases) {
        QFile::remove(appDir() + QStringLiteral("configuracion-ran"));
        m_spooler.jobs.clear();
        m_ui.boxes.boxes.clear();
        writeSettings(c.settings);
        EXPECT_EQ(run({kExample1}), TFrmPrincipal::Outcome::Ended) << c.name;
        EXPECT_EQ(QFile::exists(appDir() + QStringLiteral("configuracion-ran")), c.repairRuns) << c.name;
        if (c.queue) {
            ASSERT_EQ(m_spooler.jobs.size(), 1) << c.name;
            EXPECT_EQ(m_spooler.jobs[0].first, QString::fromLatin1(c.queue)) << c.name;
            EXPECT_EQ(m_spooler.jobs[0].second, kExample1Bytes) << c.name;
        } else {
            EXPECT_TRUE(m_spooler.jobs.isEmpty()) << c.name;
        }
        EXPECT_EQ(m_ui.boxes.boxes.size(), c.errorBox ? 1 : 0) << c.name;
    }
    EXPECT_TRUE(log().contains(QStringLiteral("] ERROR: Indice de impresora a cargar FUERA DE RANGO\r\n\r\n")));
    EXPECT_TRUE(log().contains(QStringLiteral("] Se ejecuta la aplicacion de configuracion: ") + appDir() +
                               QStringLiteral("Configuracion\r\n")));
}

TEST_F(RunTest, RepairThatLeavesAPortConfigurationPrints)
{
    PseudoTerminal terminal;
    writeApp(QStringLiteral("Configuracion"),
             ("#!/bin/sh\nprintf '[PRINTER_CONFIG]\\nIMPRIMIRPUERTO=1\\nPUERTOIMPRESION=" + terminal.devicePath().toUtf8() +
              "\\n' > \"$(dirname \"$0\")/Ticketera.ini\"\n"),
             true);
    EXPECT_EQ(run({kExample1}), TFrmPrincipal::Outcome::Ended);
    EXPECT_EQ(terminal.read(kExample1Bytes.size()), kExample1Bytes);
}

TEST_F(RunTest, VanishedClientLogoIsClearedFromTheSettings)
{
    writeSettings("[PRINTER_CONFIG]\nPRINTER=1\nPAPER=1\nGENERICTEXTONLY=1\nLOGO=/no/such/logo.bmp\n[CONNECTION]\nAUTOL=1\n");
    EXPECT_EQ(run({kExample1}), TFrmPrincipal::Outcome::Ended);
    const IniFile ini(appDir() + QStringLiteral("Ticketera.ini"));
    EXPECT_EQ(ini.readString(u"PRINTER_CONFIG", u"LOGO", QStringLiteral("unset")), QString());
    EXPECT_EQ(ini.readInteger(u"CONNECTION", u"AUTOL", -1), 1);
    EXPECT_EQ(m_spooler.jobs.size(), 1);
    EXPECT_TRUE(log().contains(QStringLiteral("] LECTURA CONFIGURACION - Tipo de papel:1 - (0: Papel 5 cm, 1: Papel 7cm)\r\n")));
    EXPECT_TRUE(log().contains(QStringLiteral("] LECTURA CONFIGURACION - Logotipo no configurado\r\n")));
}

TEST_F(RunTest, FailuresShowTheirBoxAndLogTheirClass)
{
    const struct {
        const char *name;
        QByteArray settings;
        QString refusal;
        QString url;
        TFrmPrincipal::Outcome outcome;
        QString caption;
        QString text;
        QStringList logLines; // in this order
    } cases[] = {
        {"queue refuses the job", "[PRINTER_CONFIG]\nPRINTER=0\nPAPER=1\nGENERICTEXTONLY=1\n",
         QStringLiteral("Forbidden"), kExample1, TFrmPrincipal::Outcome::Ended, QStringLiteral("Error"),
         QStringLiteral("Se produjo un error en la impresión"),
         {QStringLiteral("ERROR EXCEPTION- Clase de error: PrinterError Mensaje del error: La impresora laser no acepta "
                         "el trabajo: Forbidden")}},
        {"text-only printer that cannot be found", "[PRINTER_CONFIG]\nPRINTER=5\nPAPER=1\nGENERICTEXTONLY=1\n",
         QString(), kExample1, TFrmPrincipal::Outcome::Ended, QStringLiteral("Error"),
         QStringLiteral("Se produjo un error en la impresión"),
         {QStringLiteral("] Impresion Generic Text Only\r\n"),
          QStringLiteral("] ERROR EXCEPTION- Clase de error: PrinterError Mensaje del error: La impresora 5 no existe: el "
                         "sistema tiene 2 impresoras\r\n")}},
        {"report route missing", "[PRINTER_CONFIG]\nPRINTER=0\nPAPER=1\n", QString(), kExample1,
         TFrmPrincipal::Outcome::Ended, QStringLiteral("Error"), QStringLiteral("Se produjo un error en la impresión"),
         {QStringLiteral("ERROR EXCEPTION- Clase de error: PrinterError Mensaje del error: ")}},
        {"header field not a number", "[PRINTER_CONFIG]\nPRINTER=0\nPAPER=1\nGENERICTEXTONLY=1\n", QString(),
         QStringLiteral("ZVR:LIB&x&0&0&&0&&1a"), TFrmPrincipal::Outcome::Ended, QStringLiteral("Error"),
         QStringLiteral("Se produjo un error en la impresión"),
         {QStringLiteral("ERROR EXCEPTION - Se produjo un error en la impresión - Los parametros de lineas de ticket y "
                         "codigos de barras parecen no coincidir. Mensaje error: ''x'' is not a valid integer value")}},
        // 2,000 repeats of the last field would put 120 MB on the printer.
        {"job text over the bound", "[PRINTER_CONFIG]\nPRINTER=0\nPAPER=1\nGENERICTEXTONLY=1\n", QString(),
         QStringLiteral("ZVR:LIB&2000&0&0&&0&&1") + QString(60000, u'x'), TFrmPrincipal::Outcome::Ended,
         QStringLiteral("Error"), QStringLiteral("Se produjo un error en la impresión"),
         {QStringLiteral("] ERROR EXCEPTION - Se produjo un error en la impresión - Los parametros de lineas de ticket "
                         "y codigos de barras parecen no coincidir. Mensaje error: El texto de las líneas del trabajo "
                         "supera el máximo de 1048576 caracteres\r\n")}},
        {"a print string of 3 MiB", "[PRINTER_CONFIG]\nPRINTER=0\nPAPER=1\nGENERICTEXTONLY=1\n", QString(),
         QStringLiteral("ZVR:LIB&1&0&0&&0&&1") + QString(3 * 1024 * 1024, u'x'), TFrmPrincipal::Outcome::Ended,
         QStringLiteral("Error"), QStringLiteral("Se produjo un error en la impresión"),
         {QStringLiteral("Mensaje error: El texto de las líneas del trabajo supera el máximo de 1048576 caracteres\r\n")}},
        {"malformed escape", "[PRINTER_CONFIG]\nPRINTER=0\nPAPER=1\nGENERICTEXTONLY=1\n", QString(),
         QStringLiteral("ZVR:LIB%2"), TFrmPrincipal::Outcome::ShowMainWindow, QStringLiteral("Ticketera"),
         QStringLiteral("Error decoding URL style (%XX) encoded string at position 4"),
         {QStringLiteral("] INICIO DE OPERACION UTF8Decode. Cadena: LIB%2\r\n")}},
    };
    for (const auto &c : cases) {
        m_ui.boxes.boxes.clear();
        m_spooler.refusal = c.refusal;
        m_spooler.jobs.clear();
        writeSettings(c.settings);
        // A long print string fills the log past its rotation: each case starts a new one.
        QFile::remove(m_dir.path() + QStringLiteral("/work/Ticketera.log"));
        // Nothing is printed, and a refused job never grows in memory on its way to the refusal: a
        // few copies of the 3 MiB text (UTF-16, UTF-8, the logged line), nothing per repeated line
        // (a repeat of the field once took 244 MB).
        EXPECT_LT(peakGrowthKb([&] { EXPECT_EQ(run({c.url}), c.outcome) << c.name; }), 64 * 1024) << c.name;
        EXPECT_TRUE(m_spooler.jobs.isEmpty()) << c.name;
        ASSERT_EQ(m_ui.boxes.boxes.size(), 1) << c.name;
        EXPECT_EQ(m_ui.boxes.boxes[0].icon, MessageBoxes::Icon::Error) << c.name;
        EXPECT_EQ(m_ui.boxes.boxes[0].caption, c.caption) << c.name;
        EXPECT_EQ(m_ui.boxes.boxes[0].text, c.text) << c.name;
        const QString added = log();
        qsizetype from = 0;
        for (const QString &line : c.logLines) {
            const qsizetype at = added.indexOf(line, from);
            EXPECT_GE(at, 0) << c.name << ": missing or out of order: " << line.toStdString();
            from = at < 0 ? from : at + line.size();
        }
    }
}

TEST_F(RunTest, LargestJobsPrintCompletelyInFlatMemory)
{
    static constexpr int kLines = PrintStringReader::kMaxLinesPerJob;
    const QString marker = QStringLiteral("%5Cn%5Cn%5Cn%5Cx1D%5Cx56%5Cx01");
    const struct {
        const char *name;
        QString url;
        int jobs;
        std::function<QByteArray(int job)> bytes;
        // The run starts on a log that turns over at its next line, and its start must stay
        // (in-process, the strings above are longer than a command line takes, and logged whole).
        bool fromAFullLog = false;
    } cases[] = {
        // Each field after the first ends one ticket and begins the next.
        {"10,000 tickets of one line",
         [&] {
             QString url = QStringLiteral("ZVR:LIB&%1&0&0&&0&&1T0").arg(kLines);
             for (int i = 1; i < kLines; ++i)
                 url += QStringLiteral("&1") + marker + u'T' + QString::number(i);
             return url;
         }(),
         kLines, [](int job) { return "T" + QByteArray::number(job) + "\r\n \r\n \r\n \r\n"; }},
        {"one ticket of 10,000 lines",
         [&] {
             QString url = QStringLiteral("ZVR:LIB&%1&0&0&&0&").arg(kLines);
             for (int i = 0; i < kLines; ++i)
                 url += QStringLiteral("&0L%1").arg(i);
             return url;
         }(),
         1,
         [](int) {
             QByteArray all;
             for (int i = 0; i < kLines; ++i)
                 all += "L" + QByteArray::number(i) + "\r\n";
             return all + " \r\n \r\n \r\n";
         }},
        {"1 MiB of text: the last field repeated",
         QStringLiteral("ZVR:LIB&%1&0&0&&0&&0").arg(kLines) + QString(104, u'x'), 1,
         [](int) { return QByteArray(104, 'x').append("\r\n").repeated(kLines) + " \r\n \r\n \r\n"; }, true},
    };
    writeSettings("[PRINTER_CONFIG]\nPRINTER=1\nPAPER=1\nGENERICTEXTONLY=1\n");
    const QString logPath = m_dir.path() + QStringLiteral("/work/Ticketera.log");
    for (const auto &c : cases) {
        m_spooler.jobs.clear();
        QFile current(logPath), previous(logPath + QStringLiteral(".1"));
        if (c.fromAFullLog) {
            previous.remove();
            ASSERT_TRUE(current.open(QIODevice::WriteOnly | QIODevice::Truncate));
            current.write(QByteArray(1048574, '-') + "\r\n");
            current.close();
        }
        const qint64 peakKb = peakGrowthKb([&] { EXPECT_EQ(run({c.url}), TFrmPrincipal::Outcome::Ended) << c.name; });
        std::printf("%s: peak memory growth %lld KiB for a print string of %lld characters\n", c.name,
                    static_cast<long long>(peakKb), static_cast<long long>(c.url.size()));
        EXPECT_LT(peakKb, 32 * 1024) << c.name;
        EXPECT_TRUE(m_ui.boxes.boxes.isEmpty()) << c.name;
        ASSERT_EQ(m_spooler.jobs.size(), c.jobs) << c.name;
        for (int job = 0; job < c.jobs; ++job)
            ASSERT_EQ(m_spooler.jobs[job].second, c.bytes(job)) << c.name << ", job " << job;
        if (c.fromAFullLog) {
            ASSERT_TRUE(previous.open(QIODevice::ReadOnly) && current.open(QIODevice::ReadOnly));
            EXPECT_TRUE((previous.readAll() + current.readAll()).contains("] NUEVA OPERACION: \r\n")) << c.name;
        }
    }
}
