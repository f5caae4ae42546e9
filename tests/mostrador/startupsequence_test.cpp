#include "httpclient.h"
#include "mainframe.h"
#include "mainwindowcontrols.h"
#include "missingoperationerror.h"
#include "mostradorstartupoperations.h"
#include "mostradorlog.h"
#include "qtprint.h"
#include "mostradorstate.h"
#include "recordingmessageboxes.h"
#include "startupcontext.h"
#include "startupoperations.h"
#include "startupsequence.h"
#include "windowgeometry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <unistd.h>

namespace {

const QString kLogPrefix = QStringLiteral("Inicio de la aplicacion de Mostrador. Ruta instalacion Mostrador: ");

// Operations whose results the test chooses; each call is recorded, and one of them may raise.
class ScriptedOperations : public StartupOperations {
public:
    bool actualizacion = false;
    int tipoConexion = 1;
    bool credenciales = true;
    bool enrolado = false;
    QString fallaEn; // operation that raises
    QStringList llamadas;

    bool comprobarActualizaciones() override { return step(QStringLiteral("comprobarActualizaciones"), actualizacion); }
    int consultarTipoConexion() override { return step(QStringLiteral("consultarTipoConexion"), tipoConexion); }
    QString nombreTipoConexion(int kind) override
    {
        return step(QStringLiteral("nombreTipoConexion"), QStringLiteral("tipo %1").arg(kind));
    }
    void lanzarHiloIp() override { step(QStringLiteral("lanzarHiloIp"), 0); }
    bool consultarDatosUsuario(MostradorState &state) override
    {
        if (credenciales) {
            state.Usuario = QStringLiteral("usuario");
            state.Contrasenya = QStringLiteral("clave");
            state.DD = QStringLiteral("0A1B2C3D");
        }
        return step(QStringLiteral("consultarDatosUsuario"), credenciales);
    }
    bool guardarInformacionUsuario(int kind, MostradorState &) override
    {
        return step(QStringLiteral("guardarInformacionUsuario(%1)").arg(kind), enrolado);
    }
    void conectarAplicacionWeb(int kind, MostradorState &state, MainFrame &) override
    {
        step(QStringLiteral("conectarAplicacionWeb(%1,%2)").arg(kind).arg(state.Usuario), 0);
    }

private:
    template <typename T> T step(const QString &name, T result)
    {
        llamadas << name;
        if (name.startsWith(fallaEn) && !fallaEn.isEmpty())
            throw std::runtime_error(QStringLiteral("fallo en %1").arg(fallaEn).toStdString());
        return result;
    }
};

class RecordingWindow : public MainWindowControls {
public:
    QSize monitor{1280, 1024};
    QList<WindowGeometry> geometries;
    QStringList captions;

    QSize firstMonitorSize() const override { return monitor; }
    void applyGeometry(const WindowGeometry &g) override { geometries << g; }
    void setCaption(const QString &caption) override { captions << caption; }
};

class UnusedFrame : public MainFrame {
public:
    void loadRequest(const QWebEngineHttpRequest &) override { ADD_FAILURE() << "the sequence loads nothing itself"; }
};

class StartupSequenceTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir().mkpath(workDir());
        QDir().mkpath(appDir());
        qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(workDir()));
    }
    void TearDown() override { qunsetenv("ZELVORA_TEMP_DIR"); }

    QString workDir() const { return m_dir.path() + QStringLiteral("/work"); }
    QString appDir() const { return m_dir.path() + QStringLiteral("/app/"); }

    void writeApp(const QString &name, const QByteArray &content, QFileDevice::Permissions permissions = {})
    {
        QFile file(appDir() + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        if (permissions)
            file.setPermissions(permissions);
    }

    StartupSequence::Outcome run(MostradorLogSwitches switches = {true, true})
    {
        const StartupContext context{appDir(), switches, boxes, nullptr, client};
        return StartupSequence(context, state, operations, window, frame).run();
    }

    QStringList logLines() const { return mostradorLogLines(workDir()); }

    HttpClient client{HttpClient::Kind::MainWindow};
    MostradorState state;
    ScriptedOperations operations;
    RecordingWindow window;
    UnusedFrame frame;
    RecordingMessageBoxes boxes;

private:
    QTemporaryDir m_dir;
};

TEST_F(StartupSequenceTest, StoredCredentialsRunEveryStepInOrderAndLogTheOutline)
{
    writeApp(QStringLiteral("Ticketera.ini"), "[CONNECTION]\r\nAUTOL=1\r\n[PRINTER_CONFIG]\r\nPRINTER=2\r\nPAPER=1\r\n");

    EXPECT_EQ(run(), StartupSequence::Outcome::ShowWindow);

    EXPECT_EQ(operations.llamadas,
              QStringList({"comprobarActualizaciones", "consultarTipoConexion", "nombreTipoConexion",
                           "lanzarHiloIp", "consultarDatosUsuario", "conectarAplicacionWeb(1,usuario)"}));
    EXPECT_EQ(logLines(),
              QStringList({kLogPrefix + appDir(), "Aplicacion a generar: Zelvora Mostrador",
                           "No existe ninguna actualizacion de Mostrador.",
                           "El tipo de conexion que se usa para la conexion a la aplicacion web sera: : tipo 1",
                           "Se lanza el thread para la consulta de la IP de conexion a la aplicacion web.",
                           "Existe configuracion de usuario en el sistema. Se leera la configuracion de la aplicacion",
                           "Configuracion de Autologin: 1",
                           "Conexion de la aplicacion web al Browser Web de Chromium: Aplicacion: Zelvora VANTO",
                           "Fin de la aplicacion de Mostrador. OK."}));
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_EQ(state.DirApp, appDir());
    EXPECT_EQ(state.configPrinter.indiceImpresora, "2");
    EXPECT_EQ(state.configPrinter.tipoPapel, "1");
    ASSERT_EQ(window.geometries.size(), 1);
    EXPECT_EQ(window.geometries[0].size, QSize(1024, 777));
    EXPECT_EQ(window.geometries[0].position, QPoint(128, 123));
    EXPECT_EQ(window.captions, QStringList{"Zelvora Mostrador"});
}

TEST_F(StartupSequenceTest, AutologinChoosesTheAnnouncedApplication)
{
    struct Case {
        const char *settings; // null: no settings file
        int autologin;
        const char *application;
    };
    const Case cases[] = {
        {"[CONNECTION]\nAUTOL=0\n", 0, "Taquilla Ormeza"},
        {"[CONNECTION]\nAUTOL=1\n", 1, "Zelvora VANTO"},
        {"[CONNECTION]\nAUTOL=7\n", 7, "Zelvora VANTO"},
        {"[PRINTER_CONFIG]\nPRINTER=0\n", -1, "Zelvora VANTO"},
        {nullptr, -1, "Zelvora VANTO"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.settings ? c.settings : "no settings file");
        QFile::remove(appDir() + QStringLiteral("Ticketera.ini"));
        QFile::remove(workDir() + QStringLiteral("/ZelvoraMostrador.log"));
        if (c.settings)
            writeApp(QStringLiteral("Ticketera.ini"), c.settings);
        state = MostradorState();

        EXPECT_EQ(run(), StartupSequence::Outcome::ShowWindow);
        EXPECT_EQ(state.configPrinter.autologin, c.autologin);
        const QStringList lines = logLines();
        EXPECT_TRUE(lines.contains(QStringLiteral("Configuracion de Autologin: %1").arg(c.autologin)));
        EXPECT_TRUE(lines.contains(
            QStringLiteral("Conexion de la aplicacion web al Browser Web de Chromium: Aplicacion: ") + c.application));
    }
}

TEST_F(StartupSequenceTest, WithoutStoredCredentialsTheEnrolmentDecides)
{
    struct Case {
        bool enrolado;
        StartupSequence::Outcome outcome;
        const char *lastLine;
    };
    const Case cases[] = {
        {true, StartupSequence::Outcome::ShowWindow, "Fin de la aplicacion de Mostrador. OK."},
        {false, StartupSequence::Outcome::EndProgram, "Fin de la aplicacion de Mostrador. KO."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.enrolado);
        QFile::remove(workDir() + QStringLiteral("/ZelvoraMostrador.log"));
        operations = ScriptedOperations();
        operations.credenciales = false;
        operations.enrolado = c.enrolado;
        operations.tipoConexion = 2;
        // A settings file beside the program is not read on this path: the enrolment fills it.
        writeApp(QStringLiteral("Ticketera.ini"), "[CONNECTION]\nAUTOL=1\n");
        state = MostradorState();

        EXPECT_EQ(run(), c.outcome);
        const QStringList lines = logLines();
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines[lines.size() - 1], c.lastLine);
        EXPECT_TRUE(lines.contains("No existe configuracion de usuario en el sistema. Se procedera a visualizar la "
                                   "ventana de configuracion de usuario"));
        EXPECT_FALSE(lines.join('\n').contains("Configuracion de Autologin"));
        EXPECT_TRUE(operations.llamadas.contains("guardarInformacionUsuario(2)"));
        EXPECT_EQ(operations.llamadas.last().startsWith("conectarAplicacionWeb"), c.enrolado);
        if (c.enrolado) {
            EXPECT_EQ(lines[lines.size() - 2],
                      "Conexion de la aplicacion web al Browser Web de Chromium: Aplicacion: Taquilla Ormeza");
        }
        EXPECT_TRUE(boxes.boxes.isEmpty());
    }
}

TEST_F(StartupSequenceTest, AnErrorEndsTheSequenceWithItsTextAndTheWindowIsShown)
{
    const QStringList order{"comprobarActualizaciones", "consultarTipoConexion", "nombreTipoConexion",
                            "lanzarHiloIp", "consultarDatosUsuario", "conectarAplicacionWeb"};
    for (qsizetype failing = 0; failing < order.size(); ++failing) {
        SCOPED_TRACE(order[failing].toStdString());
        QFile::remove(workDir() + QStringLiteral("/ZelvoraMostrador.log"));
        operations = ScriptedOperations();
        operations.fallaEn = order[failing];
        boxes.boxes.clear();

        EXPECT_EQ(run(), StartupSequence::Outcome::ShowWindow);

        ASSERT_EQ(operations.llamadas.size(), failing + 1);
        EXPECT_TRUE(operations.llamadas.last().startsWith(order[failing]));
        ASSERT_EQ(boxes.boxes.size(), 1);
        EXPECT_EQ(boxes.boxes[0].icon, MessageBoxes::Icon::Error);
        EXPECT_EQ(boxes.boxes[0].caption, "Zelvora Mostrador");
        EXPECT_EQ(boxes.boxes[0].text, "fallo en " + order[failing]);
        const QString log = logLines().join('\n');
        EXPECT_FALSE(log.contains("Fin de la aplicacion de Mostrador"));
    }
}

TEST_F(StartupSequenceTest, TheOperationsThisBuildLacksRefuseByName)
{
    const StartupContext context{appDir(), {true, true}, boxes, nullptr, client};
    MostradorStartupOperations product(context);
    const std::pair<const char *, std::function<void()>> missing[] = {
        {"guardarInformacionUsuario", [&] { product.guardarInformacionUsuario(0, state); }},
    };
    for (const auto &[name, call] : missing) {
        try {
            call();
            ADD_FAILURE() << name << " pretended to succeed";
        } catch (const MissingOperationError &e) {
            EXPECT_EQ(e.message(), QStringLiteral("La operación %1 no está disponible en esta versión de Mostrador.")
                                       .arg(QLatin1String(name)));
        }
    }
}

TEST_F(StartupSequenceTest, AnOfferedUpdateRunsTheUpdaterWhenItExistsAndGoesOn)
{
    operations.actualizacion = true;
    const QByteArray existsLine = "Existe actualizacion de la aplicacion de Mostrador.";
    const QByteArray launchLine = "Se lanza la aplicacion de actualizacion: Updater";

    // No updater beside the program: nothing more happens.
    EXPECT_EQ(run(), StartupSequence::Outcome::ShowWindow);
    QStringList lines = logLines();
    EXPECT_TRUE(lines.contains(existsLine));
    EXPECT_FALSE(lines.contains(launchLine));
    EXPECT_TRUE(lines.contains("Fin de la aplicacion de Mostrador. OK."));

    // An updater that cannot start: the sequence goes on without telling the user.
    QFile::remove(workDir() + QStringLiteral("/ZelvoraMostrador.log"));
    writeApp(QStringLiteral("Updater"), "not a program", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    operations.llamadas.clear();
    EXPECT_EQ(run(), StartupSequence::Outcome::ShowWindow);
    lines = logLines();
    EXPECT_TRUE(lines.contains(launchLine));
    EXPECT_EQ(operations.llamadas.size(), 6);
    EXPECT_TRUE(boxes.boxes.isEmpty());

    if (geteuid() != 0)
        GTEST_SKIP() << "the updater runs elevated only through pkexec when not root";
    // A real updater runs, elevated (directly as root), and is waited for.
    QFile::remove(appDir() + QStringLiteral("Updater"));
    const QString marker = workDir() + QStringLiteral("/updater-ran");
    writeApp(QStringLiteral("Updater"), "#!/bin/sh\nsleep 0.3\necho ran > '" + marker.toUtf8() + "'\nexit 3\n",
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(run(), StartupSequence::Outcome::ShowWindow);
    EXPECT_TRUE(QFileInfo::exists(marker)); // written before the sequence went on
}

TEST_F(StartupSequenceTest, EachLineFollowsItsSwitch)
{
    struct Case {
        MostradorLogSwitches switches;
        bool milestoneLines;
        bool autologinLine;
    };
    const Case cases[] = {
        {{false, false}, false, false},
        {{true, false}, false, true},
        {{false, true}, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.switches.general << c.switches.milestone);
        QFile::remove(workDir() + QStringLiteral("/ZelvoraMostrador.log"));
        EXPECT_EQ(run(c.switches), StartupSequence::Outcome::ShowWindow);
        const QStringList lines = logLines();
        EXPECT_EQ(lines.contains("Fin de la aplicacion de Mostrador. OK."), c.milestoneLines);
        EXPECT_EQ(lines.contains("Configuracion de Autologin: -1"), c.autologinLine);
        EXPECT_EQ(lines.size(), (c.milestoneLines ? 8 : 0) + (c.autologinLine ? 1 : 0));
    }
}

} // namespace
