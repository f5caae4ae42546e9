// The connection probe, the version check and the address refresh thread against the local central
// server. Run through privatenetwork.sh: the "www." forms and the address book's default hosts lead
// to 127.0.0.1, and the server may take ports 80 and 443.

#include "centralserver.h"
#include "configsys.h"
#include "connectionprobe.h"
#include "conversionerror.h"
#include "httpclient.h"
#include "httperror.h"
#include "inifile.h"
#include "peakmemory.h"
#include "mostradorlog.h"
#include "mostradorstate.h"
#include "qtprint.h"
#include "recordingmessageboxes.h"
#include "scriptedworld.h"
#include "startupcontext.h"
#include "storedserveraddress.h"
#include "terminalenrolment.h"
#include "tthreadmostradorip.h"
#include "versioncheck.h"

#include <QElapsedTimer>
#include <cstdio>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <gtest/gtest.h>

namespace {

const QString kSettings = QStringLiteral("Ticketera.ini");
const MostradorLogSwitches kBoth{true, true};

class ServerLinkTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("ZELVORA_TEST_HOSTS"))
            GTEST_SKIP() << "runs only through privatenetwork.sh";
        ASSERT_TRUE(m_dir.isValid());
        qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(workDir()));
    }
    void TearDown() override { qunsetenv("ZELVORA_TEMP_DIR"); }

    QString appDir() const { return m_dir.path() + u'/'; }
    QString workDir() const { return m_dir.path() + QStringLiteral("/work"); }

    void store(const QString &address)
    {
        QFile::remove(appDir() + kSettings);
        if (!address.isEmpty())
            guardarIpConfig(appDir(), kSettings, address);
        clearLog();
    }
    QString stored() const { return leerIpConfig(appDir(), kSettings); }
    QStringList log() const { return mostradorLogLines(workDir()); }
    void clearLog() const { QFile::remove(workDir() + QStringLiteral("/ZelvoraMostrador.log")); }

    // The central server on ports 80 and 443 of the test's own network.
    static std::unique_ptr<CentralServer> serve(QByteArrayList arguments = {})
    {
        return std::make_unique<CentralServer>(arguments << "--http-port" << "80" << "--https-port" << "443");
    }

    // "scheme host target" of every request the server received.
    static QStringList seen(const CentralServer &server)
    {
        QStringList result;
        for (const RecordedRequest &request : server.requests())
            result << QString::fromLatin1(request.scheme.toLatin1() + ' ' + request.header("Host") + ' ' + request.target());
        return result;
    }

private:
    QTemporaryDir m_dir;
};

TEST_F(ServerLinkTest, TheProbeKeepsTheFirstFormThatAnswers)
{
    const QByteArray login = "/VANTO/Login.html";
    const struct {
        const char *name;
        bool storedAddress; // "zelvora.test"; else the address book's defaults
        QByteArrayList routes;
        int kind;
        QStringList requests;
    } cases[] = {
        {"stored address, IP form answers", true, {}, 2, {"http zelvora.test " + login}},
        {"stored address, nothing answers", true, {"--route", login, "--status", "404"}, 0,
         {"http zelvora.test " + login, "http www.zelvora.test " + login, "http zelvora.test " + login}},
        {"defaults, IP form answers", false, {}, 2, {"https www.zelvora.cl " + login}},
        // Index 2 has no IP address of its own: kinds 2 and 1 try the same URL.
        {"defaults, nothing answers", false, {"--route", login, "--status", "404"}, 0,
         {"https www.zelvora.cl " + login, "https www.zelvora.cl " + login, "https zelvora.cl " + login}},
        {"redirect to https followed", true,
         {"--route", login, "--scheme", "http", "--status", "302", "--redirect", "{https}" + login, "--route", login,
          "--scheme", "https"},
         2, {"http zelvora.test " + login, "https 127.0.0.1 " + login}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto server = serve(c.routes);
        store(c.storedAddress ? QStringLiteral("zelvora.test") : QString());
        HttpClient client(HttpClient::Kind::MainWindow);

        EXPECT_EQ(consultarTipoConexion(client, appDir(), kBoth), c.kind);

        EXPECT_EQ(seen(*server), c.requests);
        EXPECT_FALSE(client.followRedirects()) << "redirects are followed only during the probe";
        EXPECT_EQ(client.readTimeout(), 5000);
        const QStringList lines = log();
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines.first(), "Inicio de consultar el tipo de conexion.");
        EXPECT_EQ(lines.last(), QStringLiteral("Fin de consultar el tipo de conexion. Tipo conexion a usar: %1").arg(c.kind));
        EXPECT_EQ(lines.filter("Excepcion mensaje: ").size(), c.kind == 0 ? 3 : 0);
    }
}

TEST_F(ServerLinkTest, TheProbeLogsEachTryWithItsUrl)
{
    const auto server = serve({"--route", "/VANTO/Login.html", "--status", "404"});
    const QString address = QStringLiteral("zelvora.test");
    store(address);
    HttpClient client(HttpClient::Kind::MainWindow);
    consultarTipoConexion(client, appDir(), kBoth);

    const QString ip = "http://" + address + "/VANTO/Login.html";
    const QString www = "http://www." + address + "/VANTO/Login.html";
    const QString decrypted = "IP desencriptada: " + address; // the stored address is read afresh per try
    const QString failure = QStringLiteral("Excepcion mensaje: HTTP/1.1 404 Not Found");
    EXPECT_EQ(log(), QStringList({"Inicio de consultar el tipo de conexion.", decrypted,
                                  "IP. Conseguir URL aplicacion Web desde fichero INI: " + ip,
                                  "Probar conexion por IP. URL: " + ip, "Conexion por IP. " + failure, decrypted,
                                  "Dominio con WWW. Conseguir URL aplicacion Web desde fichero INI: " + www,
                                  "Probar conexion por Dominio con WWW. URL: " + www,
                                  "Conexion por Dominio con WWW. " + failure, decrypted,
                                  "Dominio sin WWW. Conseguir URL aplicacion Web desde fichero INI: " + ip,
                                  "Probar conexion por Dominio sin WWW. URL:" + ip,
                                  "Conexion por Dominio sin WWW. " + failure,
                                  "Fin de consultar el tipo de conexion. Tipo conexion a usar: 0"}));

    // Without a stored address the lines name the defaults; the general switch alone governs them.
    store(QString());
    consultarTipoConexion(client, appDir(), {false, true});
    EXPECT_TRUE(log().isEmpty());
    consultarTipoConexion(client, appDir(), {true, false});
    EXPECT_TRUE(log().contains("IP. Conseguir URL aplicacion Web por defecto: https://www.zelvora.cl/VANTO/Login.html"));
}

TEST_F(ServerLinkTest, AfterTheProbeTheMainWindowsClientRefusesRedirects)
{
    const auto server = serve({"--route", "/VANTO/Login.html", "--status", "302", "--redirect", "{http}/VANTO/x"});
    store(QStringLiteral("zelvora.test"));
    HttpClient client(HttpClient::Kind::MainWindow);
    consultarTipoConexion(client, appDir(), kBoth);
    EXPECT_THROW(client.post(QStringLiteral("http://zelvora.test/VANTO/Login.html"), {QString()}), HttpError);
}

TEST_F(ServerLinkTest, AProbeOfAServerThatNeverAnswersEndsWithinThreeReadTimeOuts)
{
    const auto server = serve({"--route", "/VANTO/Login.html", "--never-answer"});
    store(QStringLiteral("zelvora.test"));
    HttpClient client(HttpClient::Kind::MainWindow);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(consultarTipoConexion(client, appDir(), kBoth), 0);
    EXPECT_LT(timer.elapsed(), 3 * 5000 + 5000) << "a hang, not a speed figure";
    EXPECT_EQ(server->requests().size(), 3);
}

// Each try of the probe ends within the client's bounds, the start-up goes on with what the probe
// found, and memory stays far below what the servers send. The answer's time limit is shortened
// so that the trickling server costs a second or two, not three minutes.
TEST_F(ServerLinkTest, HostileServersEndEachTryAndTheStartUpGoesOn)
{
    const QByteArray login = "/VANTO/Login.html";
    const struct {
        const char *name;
        QByteArrayList server;
        bool storedAddress; // "zelvora.test" over HTTP; else the defaults over HTTPS
        int kind;
        const char *failure; // in each of the three failure lines
        int answerTimeLimitMs = HttpClient::kDefaultAnswerTimeLimitMs;
    } cases[] = {
        {"trickles past the answer's time limit", {"--route", login, "--trickle-ms", "200", "--body", "0123456789"}, true,
         0, "longer than 600 ms", 600},
        {"endless body", {"--route", login, "--endless-body"}, true, 0, "longer than 16777216 bytes"},
        {"redirect loop", {"--route", login, "--status", "302", "--redirect", "{http}" + login}, true, 0,
         "Maximum (15) redirects followed"},
        {"headers of 8 MiB", {"--route", login, "--header-mib", "8"}, true, 0, "header"},
        {"reset halfway through the body", {"--route", login, "--reset-mid-body"}, true, 0, "reset"},
        {"garbage instead of TLS", {"--garbage-instead-of-tls"}, false, 0, "SSL"},
        {"certificate for another name", {"--certificate-name", "otro.example"}, false, 2, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto server = serve(c.server);
        store(c.storedAddress ? QStringLiteral("zelvora.test") : QString());
        HttpClient client(HttpClient::Kind::MainWindow);
        client.setAnswerTimeLimit(c.answerTimeLimitMs);
        int kind = -1;
        const qint64 peakKb = peakGrowthKb([&] { kind = consultarTipoConexion(client, appDir(), kBoth); });
        std::printf("%s: peak memory growth %lld KiB\n", c.name, static_cast<long long>(peakKb));
        EXPECT_EQ(kind, c.kind);
        EXPECT_LT(peakKb, 64 * 1024);
        const QStringList failures = log().filter("Excepcion mensaje: ");
        EXPECT_EQ(failures.size(), c.kind == 0 ? 3 : 0);
        for (const QString &line : failures)
            EXPECT_TRUE(line.contains(QLatin1String(c.failure), Qt::CaseInsensitive)) << line.toStdString();
    }
}

TEST_F(ServerLinkTest, TheVersionCheckComparesFirstAndThirdCharacters)
{
    const QString failureLine = QStringLiteral("ERROR. Fallo al consultar las ultima version de Mostrador en el "
                                               "servidor. Fallo en la conexion a: ");
    const struct {
        const char *own;
        QByteArrayList answer;
        bool update;
        bool failure;     // the failure line
        int atLeastMs = 0; // the check waits this long before it gives up
    } cases[] = {
        {"2.5", {"--body", "2.6"}, true, false},
        {"2.5", {"--body", "2.5"}, false, false},
        {"2.5", {"--body", "2.4"}, false, false},
        {"2.5", {"--body", "2.10"}, false, false},
        {"2.10", {"--body", "2.9"}, true, false},
        {"2.5", {"--body", "2.6\n"}, true, false},
        {"2.5", {"--body", "<html><body>2.9</body></html>"}, false, true},
        {"2.5", {"--body", "12.0"}, false, true},
        {"2.5", {"--body", ""}, false, false},
        {"2.5", {"--status", "404", "--body", "2.9"}, false, true},
        {"2.5", {"--hops", "3", "--body", "2.6"}, true, false}, // redirects are followed
        // Its read time-out is 7000 ms: the answer after 8000 ms comes too late.
        {"2.5", {"--delay-ms", "8000", "--body", "2.6"}, false, true, 6900},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.own << " / " << c.answer.join(' ').toStdString());
        const auto server = serve(QByteArrayList{"--route", "/VANTO/mostradorVersion.htm"} + c.answer);
        store(QStringLiteral("127.0.0.1"));
        QElapsedTimer timer;
        timer.start();

        EXPECT_EQ(comprobarActualizaciones(appDir(), kBoth, QString::fromLatin1(c.own)), c.update);
        EXPECT_GE(timer.elapsed(), c.atLeastMs);

        const QStringList lines = log();
        const QString url = QStringLiteral("http://127.0.0.1/VANTO/mostradorVersion.htm");
        EXPECT_TRUE(lines.contains("Peticion al servidor de la version de actualizacion. URL: " + url));
        EXPECT_EQ(lines.contains(failureLine + url), c.failure);
        EXPECT_EQ(lines.filter("Es necesario actualizar Mostrador a la nueva version:").size(), c.update ? 1 : 0);
        EXPECT_EQ(lines.last(), "Fin de la comprobacion de actualizaciones ");
        ASSERT_FALSE(server->requests().isEmpty());
        EXPECT_EQ(server->requests().first().method(), "POST");
        EXPECT_EQ(server->requests().first().body, "");
    }
}

TEST_F(ServerLinkTest, TheVersionCheckWithoutAStoredAddressAsksTheDefaultServer)
{
    const auto server = serve({"--route", "/VANTO/mostradorVersion.htm", "--body", "9.9"});
    store(QString());
    EXPECT_TRUE(comprobarActualizaciones(appDir(), {true, false}, QStringLiteral("2.5")));
    EXPECT_EQ(seen(*server), QStringList{"http www.zelvora.cl /VANTO/mostradorVersion.htm"});
    const QStringList lines = log();
    EXPECT_TRUE(lines.contains("Conseguir la IP de conexion por defecto. IP: www.zelvora.cl"));
    EXPECT_FALSE(lines.join('\n').contains("Es necesario actualizar")) << "that line follows the milestone switch";

    // A version of our own that makes no number ends the start-up; the server is not asked.
    EXPECT_THROW(comprobarActualizaciones(appDir(), kBoth, QStringLiteral("10.1")), ConversionError);
    EXPECT_EQ(server->requests().size(), 1);
}

TEST_F(ServerLinkTest, TheRefreshThreadStoresOnlyANewAddress)
{
    const QString newLine = QStringLiteral("HILO: Nueva IP de conexion en el servidor. Se guarda en fichero INI. IP nueva: ");
    const struct {
        const char *name;
        QByteArrayList answer;
        const char *storedAfter; // null: the address stored before, unchanged
        const char *errorLine;   // the line that tells why nothing was stored
        int atLeastMs = 0;       // the thread waits this long before it gives up
    } cases[] = {
        {"the same address", {"--body", "127.0.0.1"}, nullptr, nullptr},
        {"a new address", {"--body", "10.9.8.7:8080"}, "10.9.8.7:8080", nullptr},
        {"a new host name", {"--body", "pos.zelvora.cl"}, "pos.zelvora.cl", nullptr},
        {"a trailing line break", {"--body", "10.9.8.7\r\n"}, "10.9.8.7", nullptr},
        {"an empty answer", {"--body", ""}, nullptr, "Respuesta no valida: es vacia."},
        {"a portal's page", {"--body", "<html><body>Acceso</body></html>"}, nullptr, "Respuesta no valida: no es una"},
        {"two words", {"--body", "a b"}, nullptr, "Respuesta no valida: no es una"},
        {"a failed request", {"--status", "500", "--body", "10.9.8.7"}, nullptr, "Fallo al conectar con URL: "},
        {"after redirects", {"--hops", "2", "--body", "10.9.8.7"}, "10.9.8.7", nullptr},
        // Its read time-out is 5000 ms: the answer after 6000 ms comes too late.
        {"a late answer", {"--delay-ms", "6000", "--body", "10.9.8.7"}, nullptr, "Fallo al conectar con URL: ", 4900},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto server = serve(QByteArrayList{"--route", "/VANTO/mostradorIp.htm"} + c.answer);
        const QString before = QStringLiteral("127.0.0.1");
        store(before);
        const QByteArray settingsBefore = [&] {
            QFile file(appDir() + kSettings);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();

        QElapsedTimer timer;
        timer.start();
        TThreadMostradorIp(appDir(), kBoth).Execute();
        EXPECT_GE(timer.elapsed(), c.atLeastMs);

        const QStringList lines = log();
        EXPECT_EQ(lines.first(), "HILO: Inicio del Hilo de consulta de nueva IP de conexión al servidor");
        EXPECT_TRUE(lines.contains(
            "HILO: Peticion para consultar la IP al servidor. URL: http://127.0.0.1/VANTO/mostradorIp.htm"));
        EXPECT_EQ(lines.last(), "HILO:Fin del Hilo de consulta de nueva IP de conexión al servidor");
        EXPECT_TRUE(lines.contains("HILO: Conseguir la IP de conexion del fichero INI. Ip: " + before));
        EXPECT_EQ(stored(), c.storedAfter ? QString::fromLatin1(c.storedAfter) : before);
        EXPECT_EQ(lines.filter(newLine).size(), c.storedAfter ? 1 : 0);
        if (c.errorLine) {
            EXPECT_EQ(lines.filter(QString::fromLatin1(c.errorLine)).size(), 1) << lines.join('\n').toStdString();
        }
        if (!c.storedAfter) {
            QFile file(appDir() + kSettings);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), settingsBefore) << "nothing written";
        }
    }
}

TEST_F(ServerLinkTest, TheRefreshThreadWithoutAStoredAddressAsksTheDefaultServer)
{
    const auto server = serve({"--route", "/VANTO/mostradorIp.htm", "--body", "10.9.8.7"});
    store(QString());
    TThreadMostradorIp(appDir(), kBoth).Execute();
    EXPECT_EQ(seen(*server), QStringList{"http www.zelvora.cl /VANTO/mostradorIp.htm"});
    EXPECT_TRUE(log().contains("HILO: Conseguir la IP de conexion por defecto. Ip: www.zelvora.cl"));
    EXPECT_EQ(stored(), "10.9.8.7") << "the first answer is always stored";

    // Nobody listens: one failure line with the URL, the address stays.
    store(QStringLiteral("127.0.0.1:1"));
    TThreadMostradorIp(appDir(), kBoth).Execute();
    EXPECT_EQ(log().filter("HILO: ERROR").join('\n'),
              "HILO: ERROR. Fallo en la peticion para consultar la IP al servidor. Fallo al conectar con URL: "
              "http://127.0.0.1:1/VANTO/mostradorIp.htm");
    EXPECT_EQ(stored(), "127.0.0.1:1");
}

// The enrolment of a terminal whose settings name no server: the country's default enrolment
// page, without "www." for kind 0 only (the country's row has no IP address of its own).
TEST_F(ServerLinkTest, TheEnrolmentWithoutAStoredAddressAsksTheCountrysDefault)
{
    const auto server = serve();
    ScriptedConfigurationWindow window;
    window.entries = {true, QStringLiteral("u"), QStringLiteral("p"), true, QStringLiteral("COM1"), QString(), false, 0,
                      false, QString()};
    RecordingMessageBoxes boxes;
    HttpClient client(HttpClient::Kind::MainWindow);
    const StartupContext context{appDir(), kBoth, boxes, nullptr, client};
    for (const auto &[kind, host] : {std::pair(0, "zelvora.cl"), {1, "www.zelvora.cl"}, {2, "www.zelvora.cl"}}) {
        SCOPED_TRACE(kind);
        store(QString());
        const qsizetype before = server->requests().size();
        MostradorState state;
        EXPECT_TRUE(TerminalEnrolment(context, window, appDir() + QStringLiteral("registry"))
                        .guardarInformacionUsuario(kind, state));
        const QString url = QStringLiteral("https://%1/volumenhd/volumenhd").arg(QLatin1String(host));
        EXPECT_TRUE(log().contains("Se utiliza IP constante del Pais" + url)) << log().join('\n').toStdString();
        EXPECT_TRUE(log().contains("URL activacion: " + url));
        EXPECT_EQ(seen(*server).mid(before),
                  QStringList{QStringLiteral("https %1 /volumenhd/volumenhd").arg(QLatin1String(host))});
    }
}

TEST_F(ServerLinkTest, TheRefreshThreadAndAPrinterSaveLoseNoKey)
{
    const auto server = serve({"--route", "/VANTO/mostradorIp.htm", "--body", "10.9.8.7", "--delay-ms", "200"});
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        store(QStringLiteral("127.0.0.1"));
        lanzarHiloIp(appDir(), {true, false});
        // The start-up goes on at once and saves the printer settings while the thread works.
        TConfigSysMostrador config;
        config.autologin = -1;
        int saves = 0;
        QElapsedTimer timer;
        timer.start();
        while (!log().contains("HILO:Fin del Hilo de consulta de nueva IP de conexión al servidor") &&
               timer.elapsed() < 20000) {
            config.indiceImpresora = QString::number(++saves);
            guardarConfigSys(appDir(), kSettings, config);
        }
        ASSERT_GT(saves, 1);
        EXPECT_EQ(stored(), "10.9.8.7");
        TConfigSys reread;
        leerConfigSys(appDir(), kSettings, reread);
        EXPECT_EQ(reread.indiceImpresora, QString::number(saves));
    }
}

} // namespace
