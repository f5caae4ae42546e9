// The installed Ticketera, run as the desktop runs it: one URL argument, ZELVORA_TEMP_DIR
// pointing at a private work directory, the settings file beside the program.
#include "cupsserver.h"
#include "installedcopy.h"
#include "pseudoterminal.h"
#include "windowcloser.h"
#include "xvfbserver.h"
#include "workedexamples.h"

#include <QDir>
#include <algorithm>
#include <iterator>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <memory>
#include <pwd.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

XvfbServer &display()
{
    static XvfbServer server;
    return server;
}

struct PortRun {
    QByteArray port;    // what reached the pseudo-terminal
    QStringList windows; // titles of the windows the user had to close
    QString log;
    int exitCode = -1;
};

// Runs Ticketera with the port COM1 mapped to a fresh pseudo-terminal through section PORTS, on
// the test's X server, on another DISPLAY, or with none (`displayName` empty).
PortRun runOnPort(const InstalledCopy &copy, const QStringList &arguments, const QByteArray &printerKeys,
                  const QString &displayName)
{
    PseudoTerminal terminal;
    copy.writeSettings("[PRINTER_CONFIG]\r\n" + printerKeys + "[PORTS]\r\nCOM1=" + terminal.devicePath().toUtf8() + "\r\n");
    QProcessEnvironment env;
    QProcess process;
    if (displayName.isEmpty()) {
        copy.start(process, QStringLiteral("/usr/bin/env"),
                   QStringList{QStringLiteral("-u"), QStringLiteral("DISPLAY"), QStringLiteral("-u"),
                               QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("-u"), QStringLiteral("QT_QPA_PLATFORM"),
                               copy.appDir() + QStringLiteral("Ticketera")} +
                       arguments);
    } else {
        env.insert(QStringLiteral("DISPLAY"), displayName);
        copy.start(process, QStringLiteral("Ticketera"), arguments, env);
    }
    PortRun run;
    run.windows = closeWindowsUntilFinished(process, display().display());
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.port = terminal.read();
    run.log = copy.log();
    return run;
}

const QString kExample1 = workedexamples::kUrl1;
const QString kExample2 = workedexamples::kUrl2;
const QByteArray kBlank = " \r\n \r\n \r\n";
const char *const kNoDisplay = "";
const char *const kDeadDisplay = ":99999"; // no X server answers there

} // namespace

TEST(TicketeraInstalled, PrintJobsOnAPort)
{
    const struct {
        const char *name;
        QStringList arguments;
        QByteArray port;
        QStringList windows;
        QStringList logLines; // each found in the log, in this order
        const char *display = nullptr; // the test's X server unless given
    } cases[] = {
        {"worked example 1", {kExample1}, workedexamples::kTextBytes1, {},
         {QStringLiteral("] NUEVA OPERACION: \r\n"),
          QStringLiteral("] Parametros ejecucion Ticketera. \r\nParametro0: "),
          QStringLiteral("Parametro1: ") + kExample1 + QStringLiteral("\r\n\r\n"),
          QStringLiteral("] Cadena de impresion: LIB&2&1&1&12345678901234567890&0&&1RECARGA MOVIL&0Importe: 10,00&0Gracias\r\n"),
          QStringLiteral("] TIPO DE OPERACION: impresion de ticket\r\n"),
          QStringLiteral("] Impresion directo a puerto: COM1\r\n"),
          QStringLiteral("] Impresion directo a puerto de lineas: 2\r\n"),
          QStringLiteral("] Impresion directo a puerto de lineas: 4\r\n"),
          QStringLiteral("] Termino de impresion por puerto\r\n"),
          QStringLiteral("] countLineasBefore: 2 LinesAfterBarcode: 2\r\n"),
          QStringLiteral("] countLineasAfter: 1 LinesAfterBarcode: 1\r\n")}},
        {"worked example 2: two tickets, the port opened twice", {kExample2},
         "TICKET A\r\n" + kBlank + "TICKET B\r\nfin\r\n" + kBlank, {},
         {QStringLiteral("] Multiples tickets - Ticket terminado.\r\n"), QStringLiteral("] Cadena restante: &1TICKET B&0fin\r\n"),
          QStringLiteral("] Termino de impresion por puerto\r\n"), QStringLiteral("] Termino de impresion por puerto\r\n")}},
        {"no argument", {}, "", {},
         {QStringLiteral("] ERROR: no llegaron los parametros para impresion a la aplicacion \r\n\r\n")}},
        {"LIB&0", {QStringLiteral("ZVR:LIB&0")}, "", {},
         {QStringLiteral("] ERROR: Cadena de impresion NO valida. LIB&0\r\n")}},
        {"lower-case lib", {QStringLiteral("zvr:lib&1&0&0&&0&&1x")}, "", {},
         {QStringLiteral("] ERROR: Cadena de impresion NO valida. lib&1&0&0&&0&&1x\r\n")}},
        {"no & at all", {QStringLiteral("ZVR:LIB")}, "", {}, {QStringLiteral("] ERROR: Cadena de impresion NO valida. LIB\r\n")}},
        {"malformed escape: the decoder's box, then the main window", {QStringLiteral("ZVR:LIB&1%ZZ")}, "",
         {QStringLiteral("Ticketera"), QStringLiteral("Zelvora Mostrador Print")},
         {QStringLiteral("] INICIO DE OPERACION UTF8Decode. Cadena: LIB&1%ZZ\r\n")}},
        {"non-numeric header field", {QStringLiteral("ZVR:LIB&dos&0&0&&0&&1x")}, "", {QStringLiteral("Error")},
         {QStringLiteral("] ERROR EXCEPTION - Se produjo un error en la impresión - Los parametros de lineas de ticket y "
                         "codigos de barras parecen no coincidir. Mensaje error: ''dos'' is not a valid integer value\r\n")}},
        {"cut marker on a ticket's first line: earlier tickets stay printed",
         {QStringLiteral("ZVR:LIB&3&0&0&&0&&1A&1%5Cn%5Cn%5Cn%5Cx1D%5Cx56%5Cx01%5Cn%5Cn%5Cn%5Cx1D%5Cx56%5Cx01B&0x")},
         "A\r\n" + kBlank, {QStringLiteral("Error")},
         {QStringLiteral("] ERROR EXCEPTION- Clase de error: ListIndexError Mensaje del error: List index out of bounds (0)\r\n")}},
        {"fewer line fields than announced repeat the last", {QStringLiteral("ZVR:LIB&3&0&0&&0&&1uno&0dos")},
         "uno\r\ndos\r\ndos\r\n" + kBlank, {}, {QStringLiteral("] Ultima Linea leida: dos\r\n")}},
        {"more line fields than announced are ignored", {QStringLiteral("ZVR:LIB&1&0&0&&0&&1uno&0dos&0tres")},
         "uno\r\n" + kBlank, {}, {}},
        {"invalid UTF-8 and characters outside the code page", {QStringLiteral("ZVR:LIB&2&0&0&&0&&1A%F1o&0A%C3%B1o%20%E2%82%AC%20%C5%82")},
         "A?o\r\nA\xF1o \x80 ?\r\n" + kBlank, {}, {QStringLiteral("] Cadena de impresion: LIB&2&0&0&&0&&1A?o&0Año € ?\r\n")}},
        {"a port that does not exist", {kExample1}, "", {QStringLiteral("Error")},
         {QStringLiteral("] Impresion directo a puerto: COM9\r\n"),
          QStringLiteral("] ERROR EXCEPTION- Clase de error: InputOutputError Mensaje del error: ")}},
        // Without a display (a service, a print server) the box goes to the log and the run ends.
        {"no display: the general error in the log", {QStringLiteral("ZVR:LIB&dos&0&0&&0&&1x")}, "", {},
         {QStringLiteral("] ERROR EXCEPTION - Se produjo un error en la impresión - Los parametros de lineas de ticket y "
                         "codigos de barras parecen no coincidir. Mensaje error: ''dos'' is not a valid integer value\r\n"),
          QStringLiteral("] SIN PANTALLA - Mensaje no mostrado. Titulo: Error Texto: Se produjo un error en la "
                         "impresión\r\n")},
         kNoDisplay},
        {"no display: the decoder's box in the log, no main window", {QStringLiteral("ZVR:LIB&1%ZZ")}, "", {},
         {QStringLiteral("] SIN PANTALLA - Mensaje no mostrado. Titulo: Ticketera Texto: Invalid URL encoded character "
                         "(%ZZ) at position 6\r\n")},
         kNoDisplay},
        {"a display that does not answer", {QStringLiteral("ZVR:LIB&dos&0&0&&0&&1x")}, "", {},
         {QStringLiteral("] SIN PANTALLA - Mensaje no mostrado. Titulo: Error Texto: Se produjo un error en la "
                         "impresión\r\n")},
         kDeadDisplay},
        {"no display needed for a job that prints", {kExample1}, workedexamples::kTextBytes1, {}, {}, kNoDisplay},
    };
    for (const auto &c : cases) {
        const InstalledCopy copy;
        const bool missingPort = QByteArray(c.name).startsWith("a port that");
        const PortRun run = runOnPort(copy, c.arguments,
                                  missingPort ? QByteArray("IMPRIMIRPUERTO=1\r\nPUERTOIMPRESION=COM9\r\n[PORTS]\r\nCOM9=/nonexistent/port\r\n")
                                              : QByteArray("IMPRIMIRPUERTO=1\r\nPUERTOIMPRESION=COM1\r\n"),
                                  c.display ? QString::fromLatin1(c.display) : display().display());
        EXPECT_EQ(run.exitCode, 0) << c.name;
        EXPECT_EQ(run.port, c.port) << c.name;
        EXPECT_EQ(run.windows, c.windows) << c.name;
        qsizetype from = 0;
        for (const QString &line : c.logLines) {
            const qsizetype at = run.log.indexOf(line, from);
            EXPECT_GE(at, 0) << c.name << ": missing log line " << line.toStdString() << "\n" << run.log.toStdString();
            from = at < 0 ? from : at + line.size();
        }
        if (missingPort) {
            EXPECT_FALSE(run.log.contains(QStringLiteral("Termino de impresion por puerto"))) << c.name;
        }
    }
}

// Two jobs started together for one port (a double click on the print button) print one after
// the other, each whole, and both end as printed.
TEST(TicketeraInstalled, TwoJobsStartedTogetherOnOnePortPrintOneAfterTheOther)
{
    const InstalledCopy copy;
    PseudoTerminal terminal;
    copy.writeSettings("[PRINTER_CONFIG]\r\nIMPRIMIRPUERTO=1\r\nPUERTOIMPRESION=COM1\r\n[PORTS]\r\nCOM1=" +
                       terminal.devicePath().toUtf8() + "\r\n");
    // Each job is more than a terminal holds unread (64 KiB), so that its writer waits for the printer.
    constexpr int kLines = 600;
    QByteArray expected[2];
    QProcess jobs[2];
    QProcessEnvironment noDisplay;
    noDisplay.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (int job = 0; job < 2; ++job) {
        QString url = QStringLiteral("ZVR:LIB&%1&0&0&&0&").arg(kLines);
        for (int line = 0; line < kLines; ++line) {
            const QString text = QStringLiteral("trabajo%1-linea%2-").arg(job).arg(line).leftJustified(200, u'x');
            url += QStringLiteral("&1") + text;
            expected[job] += text.toLatin1() + "\r\n";
        }
        expected[job] += kBlank;
        copy.start(jobs[job], QStringLiteral("Ticketera"), {url}, noDisplay);
    }
    // A printer that takes nothing for a moment, then a little, then nothing again: both jobs are
    // under way by then, and both would write as soon as it takes more.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    QByteArray port = terminal.read(16 * 1024, 5000);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    port += terminal.read(expected[0].size() + expected[1].size() - port.size(), 5000);
    for (QProcess &job : jobs) {
        ASSERT_TRUE(job.waitForFinished(30000));
        EXPECT_EQ(job.exitCode(), 0);
    }
    EXPECT_TRUE(port == expected[0] + expected[1] || port == expected[1] + expected[0])
        << port.left(300).toStdString();
    // Two jobs of this size fill the log past its rotation: a failure would be at a job's end.
    EXPECT_FALSE((copy.log(QStringLiteral("Ticketera.log.1")) + copy.log()).contains(QStringLiteral("ERROR EXCEPTION")));
}

TEST(TicketeraInstalled, MissingSettingsStartTheConfigurationProgram)
{
    const struct {
        const char *name;
        const char *configuracion; // shell script standing in for the configuration program
        bool prints;
    } cases[] = {
        {"the configuration program leaves usable settings",
         "#!/bin/sh\nd=$(dirname \"$0\")\nprintf '[PRINTER_CONFIG]\\r\\nIMPRIMIRPUERTO=1\\r\\nPUERTOIMPRESION=COM1\\r\\n"
         "[PORTS]\\r\\nCOM1=%s\\r\\n' \"$(cat \"$d/port-path\")\" > \"$d/Ticketera.ini\"\n",
         true},
        {"the configuration program leaves nothing", "#!/bin/sh\nexit 0\n", false},
    };
    for (const auto &c : cases) {
        const InstalledCopy copy;
        PseudoTerminal terminal;
        copy.writeFile(QStringLiteral("port-path"), terminal.devicePath().toUtf8());
        copy.writeFile(QStringLiteral("Configuracion"), c.configuracion);
        QFile::setPermissions(copy.appDir() + QStringLiteral("Configuracion"), QFileDevice::Permissions(0x7755));
        const InstalledCopy::Result result = copy.run(QStringLiteral("Ticketera"), {kExample1});
        EXPECT_EQ(result.exitCode, 0) << c.name;
        const QByteArray expected = c.prints ? workedexamples::kTextBytes1 : QByteArray();
        EXPECT_EQ(terminal.read(), expected) << c.name;
        const QString log = copy.log();
        EXPECT_TRUE(log.contains(QStringLiteral("] Parámetros de configuración de impresión no existen. No se puede aplicar la configuración\r\n")))
            << c.name;
        EXPECT_TRUE(log.contains(QStringLiteral("] Se ejecuta la aplicacion de configuracion: ") + copy.appDir() +
                                 QStringLiteral("Configuracion\r\n")))
            << c.name;
        EXPECT_EQ(log.contains(QStringLiteral("TIPO DE OPERACION")), c.prints) << c.name;
    }

    // Without the program the run logs that it cannot be started and ends.
    const InstalledCopy copy;
    QFile::remove(copy.appDir() + QStringLiteral("Configuracion"));
    EXPECT_EQ(copy.run(QStringLiteral("Ticketera"), {kExample1}).exitCode, 0);
    EXPECT_TRUE(copy.log().contains(QStringLiteral("] No se puede lanzar la aplicacion de configuración.No existe la aplicacion "
                                                   "de configuracion: ") + copy.appDir() + QStringLiteral("Configuracion\r\n")));
}

TEST(TicketeraInstalled, UnwritableSettingsStopTheStartUp)
{
    const passwd *nobody = getpwnam("nobody");
    if (geteuid() != 0 || !nobody)
        GTEST_SKIP() << "needs root to run Ticketera as an unprivileged user (root ignores file modes)";
    const InstalledCopy copy;
    // A configured logo that is gone must be cleared from settings the user may not write.
    copy.writeSettings("[PRINTER_CONFIG]\r\nPRINTER=0\r\nPAPER=1\r\nLOGO=/no/such/logo.bmp\r\n");
    QProcessEnvironment env;
    env.insert(QStringLiteral("DISPLAY"), display().display());
    QProcess process;
    copy.start(process, QStringLiteral("/usr/bin/setpriv"),
               {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups"),
                copy.appDir() + QStringLiteral("Ticketera"), kExample1},
               env);
    QStringList geometries;
    const QStringList windows = closeWindowsUntilFinished(process, display().display(), 30000, &geometries);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(windows, (QStringList{QStringLiteral("Ticketera"), QStringLiteral("Zelvora Mostrador Print")}));
    // The main form: 284 x 88 inside, centred on the 1280 x 1024 screen.
    EXPECT_EQ(geometries.value(1), QStringLiteral("284x88+498+468"));
    EXPECT_TRUE(copy.readFile(QStringLiteral("Ticketera.ini")).contains("LOGO=/no/such/logo.bmp"));
    const QString log = copy.log();
    EXPECT_TRUE(log.contains(QStringLiteral("] LECTURA CONFIGURACION - Tipo de papel:1")));
    EXPECT_FALSE(log.contains(QStringLiteral("Parametros ejecucion Ticketera")));
}

TEST(TicketeraInstalled, LogUsesTheLocaleMonthAbbreviation)
{
    const InstalledCopy copy;
    QProcessEnvironment env;
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("es_ES.UTF-8"));
    copy.run(QStringLiteral("Ticketera"), {}, env);
    const QRegularExpression spanish(
        QStringLiteral(R"(^\[\d\d/(ene|feb|mar|abr|may|jun|jul|ago|sept?|oct|nov|dic)/\d{4}, \d\d:\d\d::\d\d-\d{3}\] NUEVA OPERACION: \r$)"),
        QRegularExpression::MultilineOption);
    EXPECT_TRUE(spanish.match(copy.log()).hasMatch()) << copy.log().toStdString();
}

TEST(TicketeraInstalled, TextOnlyPrinterReceivesOneRawJobPerTicket)
{
    CupsServer cups;
    if (!cups.isRunning())
        GTEST_SKIP() << cups.skipReason().toStdString();
    cups.addRawQueue(QStringLiteral("alpha"), QStringLiteral("Primera"));
    cups.addRawQueue(QStringLiteral("texto"), QStringLiteral("Generic / Text Only"));
    const InstalledCopy copy;
    copy.writeSettings("[PRINTER_CONFIG]\r\nPRINTER=1\r\nGENERICTEXTONLY=1\r\nPAPER=1\r\n");
    const InstalledCopy::Result result = copy.run(
        QStringLiteral("Ticketera"),
        {QStringLiteral("ZVR:LIB&3&0&0&&0&&1A%C3%B1o%20%E2%82%AC&1%5Cn%5Cn%5Cn%5Cx1D%5Cx56%5Cx01Segundo&0fin")},
        cups.environment());
    EXPECT_EQ(result.exitCode, 0) << result.standardError.toStdString();
    EXPECT_EQ(cups.takeRawJob(QStringLiteral("texto")), "A\xF1o \x80\r\n" + kBlank);
    EXPECT_EQ(cups.takeRawJob(QStringLiteral("texto")), "Segundo\r\nfin\r\n" + kBlank);
    EXPECT_EQ(cups.takeRawJob(QStringLiteral("alpha"), 500), QByteArray());
    EXPECT_EQ(copy.log().count(QStringLiteral("] Impresion Generic Text Only\r\n")), 2);
}

namespace {

// Splits a log into its entries (one write each: the prefix up to the next prefix) without
// their prefixes, which only differ in time.
QStringList logEntries(const QByteArray &log)
{
    static const QRegularExpression prefix(QStringLiteral(R"(\[\d\d/[^/\]]+/\d{4}, \d\d:\d\d::\d\d-\d{3}\] )"));
    const QString text = QString::fromLatin1(log);
    QStringList entries;
    qsizetype last = -1;
    for (auto it = prefix.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        if (last >= 0)
            entries << text.mid(last, match.capturedStart() - last);
        else if (match.capturedStart() != 0)
            entries << QStringLiteral("(no prefix) ") + text.left(match.capturedStart());
        last = match.capturedEnd();
    }
    if (last >= 0)
        entries << text.mid(last);
    return entries;
}

QProcessEnvironment withoutDisplay(QProcessEnvironment env = QProcessEnvironment())
{
    env.insert(QStringLiteral("DISPLAY"), QString());
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), QString());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString());
    return env;
}

} // namespace

TEST(TicketeraInstalled, HundredRunsAtOnceShareOneLogThroughOneRotation)
{
    constexpr int kRuns = 100;
    const InstalledCopy copy;
    copy.writeSettings("[PRINTER_CONFIG]\r\nIMPRIMIRPUERTO=1\r\nPUERTOIMPRESION=COM1\r\n[PORTS]\r\nCOM1=/dev/null\r\n");
    const auto url = [](int run) {
        return QStringLiteral("ZVR:LIB&2&0&0&&0&&1TICKET%20%1&0fin").arg(run, 3, 10, QChar(u'0'));
    };
    // One run alone gives the entries every run writes; its ticket number tells them apart.
    ASSERT_EQ(copy.run(QStringLiteral("Ticketera"), {url(0)}, withoutDisplay()).exitCode, 0);
    const QString logPath = copy.workDir() + QStringLiteral("/Ticketera.log");
    QFile alone(logPath);
    ASSERT_TRUE(alone.open(QIODevice::ReadOnly));
    const QByteArray aloneBytes = alone.readAll();
    alone.close();
    const QStringList template_ = logEntries(aloneBytes);
    ASSERT_GT(template_.size(), 5);

    // A log so full that the runs push it over the rotation size halfway through.
    QStringList expected;
    QByteArray filler;
    for (int i = 0; filler.size() < 1048576 - kRuns * aloneBytes.size() / 2; ++i) {
        const QString entry = QStringLiteral("relleno %1\r\n").arg(i, 6, 10, QChar(u'0'));
        filler += "[09/dic/2026, 14:00::00-000] " + entry.toLatin1();
        expected << entry;
    }
    const QString firstFiller = expected.first();
    ASSERT_TRUE(alone.open(QIODevice::WriteOnly | QIODevice::Truncate));
    alone.write(filler);
    alone.close();

    std::vector<std::unique_ptr<QProcess>> runs;
    for (int run = 0; run < kRuns; ++run) {
        runs.push_back(std::make_unique<QProcess>());
        copy.start(*runs.back(), QStringLiteral("Ticketera"), {url(run)}, withoutDisplay());
        const QString number = QStringLiteral("%1").arg(run, 3, 10, QChar(u'0'));
        for (const QString &entry : template_)
            expected << QString(entry).replace(QStringLiteral("TICKET%20000"), QStringLiteral("TICKET%20") + number)
                            .replace(QStringLiteral("TICKET 000"), QStringLiteral("TICKET ") + number);
    }
    for (const auto &run : runs) {
        EXPECT_TRUE(run->waitForFinished(120000));
        EXPECT_EQ(run->exitCode(), 0);
    }

    QFile previous(logPath + QStringLiteral(".1")), current(logPath);
    ASSERT_TRUE(previous.open(QIODevice::ReadOnly));
    ASSERT_TRUE(current.open(QIODevice::ReadOnly));
    const QStringList before = logEntries(previous.readAll()), after = logEntries(current.readAll());
    // One rotation: the filler starts the previous generation and the current one holds none.
    ASSERT_FALSE(before.isEmpty());
    EXPECT_EQ(before.first(), firstFiller);
    EXPECT_FALSE(after.isEmpty());
    EXPECT_FALSE(after.join(QString()).contains(QStringLiteral("relleno")));
    QStringList found = before + after;
    // Runs that found the port taken say so; how many did depends on the timing.
    found.removeIf([](const QString &entry) { return entry.startsWith(QStringLiteral("Puerto ocupado por otro trabajo")); });
    found.sort();
    expected.sort();
    EXPECT_EQ(found.size(), expected.size());
    // Entries in one list and not the other: torn, lost or made up.
    QStringList odd;
    std::set_symmetric_difference(found.begin(), found.end(), expected.begin(), expected.end(), std::back_inserter(odd));
    EXPECT_TRUE(odd.isEmpty()) << odd.size() << " entries differ, such as " << odd.mid(0, 4).join(u'|').toStdString();
}

TEST(TicketeraInstalled, LongestArgumentPrintsCompletely)
{
    // Linux takes at most 128 KiB in one argument, its final zero included.
    constexpr int kLines = 1300;
    QString url = QStringLiteral("ZVR:LIB&%1&0&0&&0&").arg(kLines);
    QByteArray printed;
    for (int i = 0; i < kLines; ++i) {
        const QByteArray line = QByteArray::number(i).rightJustified(5, '0') + ' ' + QByteArray(86, 'a' + i % 26);
        url += QStringLiteral("&0") + QString::fromLatin1(line);
        printed += line + "\r\n";
    }
    ASSERT_LT(url.size(), 131072);
    ASSERT_GT(url.size(), 120000);
    const InstalledCopy copy;
    const QString port = copy.root() + QStringLiteral("/port");
    copy.writeSettings("[PRINTER_CONFIG]\r\nIMPRIMIRPUERTO=1\r\nPUERTOIMPRESION=" + port.toLocal8Bit() + "\r\n");
    const InstalledCopy::Result result = copy.run(QStringLiteral("Ticketera"), {url}, withoutDisplay());
    EXPECT_EQ(result.exitCode, 0) << result.standardError.toStdString();
    EXPECT_EQ(copy.readFile(port), printed + kBlank);
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    std::printf("Ticketera, a print string of %lld characters: peak resident memory %ld KiB\n",
                static_cast<long long>(url.size()), usage.ru_maxrss);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    EXPECT_LT(usage.ru_maxrss, 256 * 1024); // a sanitizer's shadow memory would count too
#endif
}

TEST(TicketeraInstalled, PrinterFaultsEndWithTheGeneralError)
{
    CupsServer cups;
    if (!cups.isRunning())
        GTEST_SKIP() << cups.skipReason().toStdString();
    const struct {
        const char *name;
        QStringList fault; // lpadmin or cupsreject arguments, run after the configuration
        QString program;
        QStringList logLines; // in this order
    } cases[] = {
        {"the queue refuses jobs", {QStringLiteral("texto")}, QStringLiteral("cupsreject"),
         {QStringLiteral("] Impresion Generic Text Only\r\n"),
          QStringLiteral("] ERROR EXCEPTION- Clase de error: PrinterError Mensaje del error: La impresora texto no acepta "
                         "el trabajo: ")}},
        {"the printer was removed", {QStringLiteral("-x"), QStringLiteral("texto")}, QStringLiteral("lpadmin"),
         {QStringLiteral("] ERROR: Indice de impresora a cargar FUERA DE RANGO\r\n"),
          QStringLiteral("] Se ejecuta la aplicacion de configuracion: "),
          QStringLiteral("] ERROR EXCEPTION- Clase de error: PrinterError Mensaje del error: La impresora 1 no existe: el "
                         "sistema tiene 1 impresoras\r\n")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        cups.addRawQueue(QStringLiteral("alpha"), QStringLiteral("Primera"));
        cups.addRawQueue(QStringLiteral("texto"), QStringLiteral("Generic / Text Only"));
        const InstalledCopy copy;
        copy.writeFile(QStringLiteral("Configuracion"), "#!/bin/sh\nexit 0\n");
        QFile::setPermissions(copy.appDir() + QStringLiteral("Configuracion"), QFileDevice::Permissions(0x7755));
        copy.writeSettings("[PRINTER_CONFIG]\r\nPRINTER=1\r\nGENERICTEXTONLY=1\r\nPAPER=1\r\n");
        ASSERT_EQ(cups.runClient(c.program, c.fault), 0);
        const InstalledCopy::Result result =
            copy.run(QStringLiteral("Ticketera"), {kExample1}, withoutDisplay(cups.environment()));
        EXPECT_EQ(result.exitCode, 0) << result.standardError.toStdString();
        const QString log = copy.log();
        qsizetype from = 0;
        EXPECT_TRUE(log.contains(QStringLiteral("] SIN PANTALLA - Mensaje no mostrado. Titulo: Error Texto: Se produjo un "
                                                "error en la impresión\r\n")));
        for (const QString &line : c.logLines) {
            const qsizetype at = log.indexOf(line, from);
            EXPECT_GE(at, 0) << "missing or out of order: " << line.toStdString() << "\n" << log.toStdString();
            from = at < 0 ? from : at + line.size();
        }
        EXPECT_EQ(cups.takeRawJob(QStringLiteral("alpha"), 500), QByteArray());
        cups.runClient(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QStringLiteral("texto")});
        cups.runClient(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QStringLiteral("alpha")});
    }
}
