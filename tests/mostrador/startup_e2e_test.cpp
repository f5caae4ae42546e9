// Mostrador's start-up against the local central server: the test build (both log switches on)
// from an installed copy under a private X server, the copy's stored address naming the server.
#include "centralserver.h"
#include "installedcopy.h"
#include "kiosk.h"
#include "mostradorlog.h"
#include "qtprint.h"
#include "xvfbserver.h"
#include "xwindows.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

class StartupE2eTest : public testing::Test {
protected:
    void SetUp() override
    {
        testShell = copy.addProgram(QStringLiteral(MOSTRADOR_TEST_SHELL));
    }

    // The main thread's lines: the refresh thread's and the stored address's (both threads) are left out.
    QStringList mainThreadLines() const
    {
        QStringList lines;
        for (const QString &line : mostradorLogLines(copy.workDir())) {
            if (!line.startsWith(QStringLiteral("HILO")) && !line.startsWith(QStringLiteral("IP desencriptada: ")) &&
                !line.startsWith(QStringLiteral("IP antes de encriptar: ")))
                lines << line;
        }
        return lines;
    }

    InstalledCopy copy;
    QString testShell; // the test build's name in the copy
};

TEST_F(StartupE2eTest, TheServerStepsRunInOrderBeforeTheCredentials)
{
    const CentralServer server({"--route", "/VANTO/mostradorIp.htm", "--body", "10.9.8.7:8080"});
    const QString address = QStringLiteral("127.0.0.1:%1").arg(server.httpPort());
    copy.storeServerAddress(address);
    const XvfbServer xvfb;
    Kiosk kiosk(copy, xvfb.display(), testShell);
    ASSERT_TRUE(kiosk.waitForOutput("ready")) << kiosk.standardError().constData();
    ASSERT_TRUE(waitUntil([&] { return mostradorLogLines(copy.workDir()).filter("HILO:Fin").size() == 1; }));

    const QString base = server.httpUrl();
    const QString login = base + QStringLiteral("/VANTO/Login.html");
    EXPECT_EQ(mainThreadLines(),
              QStringList({"Inicio de la aplicacion de Mostrador. Ruta instalacion Mostrador: " + copy.appDir(),
                           "Aplicacion a generar: Zelvora Mostrador",
                           "Inicio de la comprobacion de actualizaciones.",
                           "Consultar la version de Mostrador. Version ejecutable: 10",
                           "Leer la Ip de conexion del fichero INI. IP: " + address,
                           "Peticion al servidor de la version de actualizacion. URL: " + base +
                               "/VANTO/mostradorVersion.htm",
                           "Respuesta de la version de Mostrador del servidor:10",
                           "Fin de la comprobacion de actualizaciones ",
                           "No existe ninguna actualizacion de Mostrador.",
                           "Inicio de consultar el tipo de conexion.",
                           "IP. Conseguir URL aplicacion Web desde fichero INI: " + login,
                           "Probar conexion por IP. URL: " + login,
                           "Fin de consultar el tipo de conexion. Tipo conexion a usar: 2",
                           "El tipo de conexion que se usa para la conexion a la aplicacion web sera: : Conexion por IP",
                           "Se lanza el thread para la consulta de la IP de conexion a la aplicacion web.",
                           "Existe configuracion de usuario en el sistema. Se leera la configuracion de la aplicacion",
                           "Configuracion de Autologin: -1",
                           "Conexion de la aplicacion web al Browser Web de Chromium: Aplicacion: Zelvora VANTO",
                           "Fin de la aplicacion de Mostrador. OK."}));

    // The thread started after the probe and stored the server's new address.
    const QStringList all = mostradorLogLines(copy.workDir());
    EXPECT_LT(all.indexOf("Se lanza el thread para la consulta de la IP de conexion a la aplicacion web."),
              all.indexOf(QRegularExpression(QStringLiteral("HILO: Inicio.*"))));
    EXPECT_TRUE(all.contains("HILO: Nueva IP de conexion en el servidor. Se guarda en fichero INI. IP nueva: 10.9.8.7:8080"));
    QStringList targets;
    for (const RecordedRequest &request : server.requests())
        targets << QString::fromLatin1(request.method() + ' ' + request.target());
    EXPECT_EQ(targets, QStringList({"POST /VANTO/mostradorVersion.htm", "POST /VANTO/Login.html",
                                    "POST /VANTO/mostradorIp.htm"}));
}

TEST_F(StartupE2eTest, TheProgramEndsWhileTheRefreshThreadStillWaits)
{
    const CentralServer server({"--route", "/VANTO/mostradorIp.htm", "--never-answer"});
    copy.storeServerAddress(QStringLiteral("127.0.0.1:%1").arg(server.httpPort()));
    const XvfbServer xvfb;
    const XWindows x(xvfb.display());
    Kiosk kiosk(copy, xvfb.display(), testShell);
    ASSERT_TRUE(kiosk.waitForOutput("ready")) << kiosk.standardError().constData();
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 3; }));

    const QStringList windows = x.visibleWindowsOf(kiosk.pid());
    ASSERT_EQ(windows.size(), 1);
    x.close(windows.first());
    ASSERT_TRUE(kiosk.waitForExit(10000)) << "the program waited for the thread";
    EXPECT_EQ(kiosk.exitCode(), 0);
    const QStringList lines = mostradorLogLines(copy.workDir());
    EXPECT_TRUE(lines.contains("Fin de la aplicacion de Mostrador. OK."));
    EXPECT_FALSE(lines.join('\n').contains("HILO:Fin"));
    // Nothing half-written beside the settings file.
    EXPECT_EQ(QDir(copy.appDir()).entryList({QStringLiteral("Ticketera.ini*")}, QDir::Files),
              QStringList{"Ticketera.ini"});
}

} // namespace
