// The enrolment against the local central server: what the server received, the message boxes in
// their order, and the settings and registry key left behind.
#include "centralserver.h"
#include "consultardatosusuario.h"
#include "credentialskey.h"
#include "httpclient.h"
#include "installationtest.h"
#include "mostradorstate.h"
#include "qtconfigurationwindow.h"
#include "recordingmessageboxes.h"
#include "registrykey.h"
#include "scriptedworld.h"
#include "startupcontext.h"
#include "storedserveraddress.h"
#include "terminalenrolment.h"
#include "unprivileged.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Icon = MessageBoxes::Icon;
using Box = std::pair<Icon, QString>;
const QString kSentence = QStringLiteral("Activación realizada correctamente.");
const QString kRequestFailed = QStringLiteral("Error en la activación de usuario. ERROR: ");
const QString kKeyRefused = QStringLiteral("Error al registrar usuario. Ejecute la aplicación con permisos de administrador");
const QString kSettingsFile = QStringLiteral("Ticketera.ini");

class TerminalEnrolmentTest : public InstallationTest {
protected:
    QString hive() const { return m_dir.path() + QStringLiteral("/registry/HKEY_CLASSES_ROOT"); }
    QString keyFile() const { return hive() + QStringLiteral("/ZVR"); }

    // A fresh start: no settings, key, log or boxes; the server's address stored.
    void startOver(const CentralServer &server)
    {
        for (const QString &file : {appDir() + kSettingsFile, keyFile(), workDir() + QStringLiteral("/ZelvoraMostrador.log")})
            QFile::remove(file);
        guardarIpConfig(appDir(), kSettingsFile, QStringLiteral("127.0.0.1:%1").arg(server.httpPort()));
        QFile::remove(workDir() + QStringLiteral("/ZelvoraMostrador.log"));
        boxes.boxes.clear();
        state = MostradorState();
    }
    bool enrol(ConfigurationWindow &window)
    {
        const StartupContext context{appDir(), {true, true}, boxes, nullptr, client};
        return TerminalEnrolment(context, window, hive()).guardarInformacionUsuario(2, state);
    }
    TConfigSysMostrador storedSettings() const
    {
        TConfigSysMostrador config;
        leerConfigSys(appDir(), kSettingsFile, config);
        return config;
    }
    // A string value of the key; null when there is no key.
    QString keyValue(const QString &name) const
    {
        platform::RegistryKey key(hive());
        return key.openFullAccess(credentialskey::kName) == 0 ? credentialskey::readString(key, name) : QString();
    }
    // The boxes shown; an expected text ending in "…" is the beginning of the shown one.
    void expectBoxes(const QList<Box> &expected, const std::string &label) const
    {
        ASSERT_EQ(boxes.boxes.size(), expected.size()) << label;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const auto &box = boxes.boxes[i];
            const QString &text = expected[i].second;
            EXPECT_EQ(box.icon, expected[i].first) << label << " box " << i;
            EXPECT_EQ(box.caption, QStringLiteral("Zelvora Mostrador")) << label;
            if (text.endsWith(u'…'))
                EXPECT_TRUE(box.text.startsWith(text.chopped(1))) << label << ": " << box.text.toStdString();
            else
                EXPECT_EQ(box.text.toStdString(), text.toStdString()) << label << " box " << i;
        }
    }
    HttpClient client{HttpClient::Kind::MainWindow};
    RecordingMessageBoxes boxes;
    MostradorState state;
};

TEST_F(TerminalEnrolmentTest, TheServersAnswerDecidesAndTheBoxesFollowInOrder)
{
    const QString protocolBefore = QStringLiteral("\"URL:ZVR Protocol\" (instalador)");
    const struct {
        const char *answer; // what the enrolment page answers, its content type first
        QByteArrayList route;
        bool down = false;
        bool keyBefore = false; // the key exists with its protocol values only
        bool enrolled;
        QList<Box> boxes;
    } rows[] = {
        {"text/html, no charset: the sentence as UTF-8 bytes", {}, false, false, true, {{Icon::Information, kSentence}}},
        {"text/plain, no charset: the sentence and more",
         {"--content-type", "text/plain", "--body", "Activación realizada correctamente. Terminal 0042"}, false, false, true,
         {{Icon::Information, QStringLiteral("Activación realizada correctamente. Terminal 0042")}}},
        {"text/html: the sentence without its accent", {"--body", "Activacion realizada correctamente."}, false, false,
         false, {{Icon::Error, QStringLiteral("Activacion realizada correctamente.")}}},
        {"text/html: the sentence URL-encoded", {"--body", "Activaci%C3%B3n+realizada+correctamente."}, false, false, true,
         {{Icon::Information, kSentence}}},
        {"text/html; charset=utf-8: the sentence", {"--content-type", "text/html; charset=utf-8", "--body", "Activación realizada correctamente."}, false, false, false,
         {{Icon::Error, QStringLiteral("Activaci\uFFFDn realizada correctamente.")}}},
        {"text/html: a \"%\" at the end", {"--body", "Error 100%"}, false, false, false,
         {{Icon::Error, kRequestFailed + QStringLiteral("Error decoding URL style (%XX) encoded string at position 10")},
          {Icon::Error, QString()}}},
        {"text/html: a \"%\" before two other characters", {"--body", "Error %zz"}, false, false, false,
         {{Icon::Error, kRequestFailed + QStringLiteral("Invalid URL encoded character (%zz) at position 7")},
          {Icon::Error, QString()}}},
        {"text/html: a redirect", {"--status", "302", "--redirect", "{http}/volumenhd/otra"}, false, false, false,
         {{Icon::Error, kRequestFailed + QStringLiteral("HTTP/1.1 302 Found (redirect to http://127.0.0.1:…")},
          {Icon::Error, QString()}}},
        {"text/html: a refusal that would add a line of its own to the log",
         {"--body", "No%0D%0A[05/Dic/2026, 09:07::03-045] Respuesta de URL correcta"}, false, false, false,
         {{Icon::Error, QStringLiteral("No\r\n[05/Dic/2026, 09:07::03-045] Respuesta de URL correcta")}}},
        {"no server", {}, true, false, false, {{Icon::Error, kRequestFailed + u'…'}, {Icon::Error, QString()}}},
        {"text/html: the sentence, into a key with its protocol values", {}, false, true, true,
         {{Icon::Information, kSentence}}},
    };
    // "&", "=", "+", "%", spaces and accented letters reach the server as three fields.
    ScriptedConfigurationWindow window;
    window.entries = {true, QStringLiteral("Tienda & Cía 7"), QStringLiteral("cl@ve = 1+1 100% ñ"), true,
                      QStringLiteral("COM7"), QString(), false, 0, false, QString()};
    const QByteArray fields = "usuario=Tienda+%26+C%C3%ADa+7&password=cl%40ve+%3D+1%2B1+100%25+%C3%B1&volumenhd=";

    for (const auto &row : rows) {
        SCOPED_TRACE(row.answer);
        // Without options the page keeps its built-in answer: the sentence as UTF-8 bytes in text/html.
        std::optional<CentralServer> server(
            std::in_place, row.route.isEmpty() ? QByteArrayList() : QByteArrayList{"--route", "/volumenhd/volumenhd"} + row.route);
        startOver(*server);
        const int port = server->httpPort();
        if (row.down)
            server.reset();
        if (row.keyBefore) {
            platform::RegistryKey key(hive());
            ASSERT_EQ(key.create(credentialskey::kName), 0);
            ASSERT_EQ(key.writeString(QString(), protocolBefore), 0);
            ASSERT_EQ(key.writeString(credentialskey::kProtocol, QString()), 0);
        }

        EXPECT_EQ(enrol(window), row.enrolled);
        expectBoxes(row.boxes, row.answer);
        if (server) {
            const QList<RecordedRequest> requests = server->requests();
            ASSERT_EQ(requests.size(), 1); // a redirect is not followed
            EXPECT_EQ(requests[0].method() + ' ' + requests[0].target(), "POST /volumenhd/volumenhd");
            EXPECT_EQ(requests[0].body, fields + state.DD.toLatin1());
        }
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{8}$")).match(state.DD).hasMatch()) << state.DD.toStdString();
        EXPECT_EQ(state.Usuario, window.entries.usuario);
        EXPECT_EQ(state.Contrasenya, window.entries.contrasenya);

        // The printer settings were saved whatever the server said; the autologin key was left alone.
        const TConfigSysMostrador saved = storedSettings();
        EXPECT_TRUE(saved.imprimirPuerto);
        EXPECT_EQ(saved.puerto, QStringLiteral("COM7"));
        EXPECT_EQ(saved.autologin, -1);
        EXPECT_EQ(state.configPrinter.autologin, -1);

        EXPECT_EQ(QFile::exists(keyFile()), row.enrolled || row.keyBefore);
        if (row.enrolled) {
            // The next start finds them.
            MostradorState next;
            EXPECT_TRUE(consultarDatosUsuario(next, hive(), {false, false}));
            EXPECT_EQ(next.Usuario, window.entries.usuario);
            EXPECT_EQ(next.Contrasenya, window.entries.contrasenya);
            EXPECT_EQ(keyValue(QString()), row.keyBefore ? protocolBefore : credentialskey::kDefaultText);
            EXPECT_EQ(keyValue(credentialskey::kProtocol), row.keyBefore ? QString() : credentialskey::kProtocolText);
            struct stat file {};
            ASSERT_EQ(stat(QFile::encodeName(keyFile()).constData(), &file), 0);
            EXPECT_EQ(file.st_mode & 07777, 0600u);
        }

        // The log keeps its lines, with a mask where the password was.
        const QStringList lines = logLines();
        EXPECT_EQ(lines.filter(QStringLiteral("cl@ve")), QStringList());
        EXPECT_TRUE(lines.contains(QStringLiteral("Contraseña: ********")));
        EXPECT_EQ(lines.contains(QStringLiteral("Se añade el campo de mp: ********")), row.enrolled);
        EXPECT_EQ(lines.contains(QStringLiteral("No existe clave ZVR -> se crea clave y se añaden los campos")),
                  row.enrolled && !row.keyBefore);
        EXPECT_TRUE(lines.contains(
            QStringLiteral("Se recoge la Ip de conexion del fichero INIhttp://127.0.0.1:%1/volumenhd/volumenhd").arg(port)));
        const QString refusal = QStringLiteral("ERROR_VOLUMENHD: Respuesta de URL activacion de usuario : ") +
                                (boxes.boxes.isEmpty() ? QString() : boxes.boxes.last().text)
                                    .replace(u'\r', QStringLiteral("%0D"))
                                    .replace(u'\n', QStringLiteral("%0A"));
        EXPECT_EQ(lines.contains(CodePage::toUnicode(CodePage::fromUnicode(refusal))), !row.enrolled);
        EXPECT_EQ(lines.contains(QStringLiteral("Respuesta de URL correcta")), row.enrolled);
        EXPECT_EQ(lines.last(), QStringLiteral("Fin guardar la informacion de impresion y usuario"));
    }
}

// The settings as one line, to compare a row at a glance.
QString summary(const TConfigSysMostrador &c)
{
    return QStringLiteral("PRINTER=%1 GENERICTEXTONLY=%2 PAPER=%3 LOGO=%4 IMPRIMIRPUERTO=%5 PUERTOIMPRESION=%6 AUTOL=%7")
        .arg(c.indiceImpresora)
        .arg(int(c.impresionSoloTexto))
        .arg(c.tipoPapel, c.ficheroLogo)
        .arg(int(c.imprimirPuerto))
        .arg(c.puerto)
        .arg(c.autologin);
}

TEST_F(TerminalEnrolmentTest, TheRealWindowsEntriesAreWhatIsSavedAndSent)
{
    const CentralServer server;
    ScriptedPrinters printers;
    ScriptedDialogs dialogs;
    QtConfigurationWindow window(appDir(), {boxes, QStringLiteral("Zelvora Mostrador"), printers, dialogs, {true, true}});
    const QString logo = appDir() + QStringLiteral("logo.bmp");
    dialogs.picture = m_dir.path() + QStringLiteral("/foto.png");
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    ASSERT_TRUE(picture.save(dialogs.picture, "PNG"));
    const auto click = [](QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); };

    const struct {
        const char *description;
        bool storedLogo; // the settings name an existing logo, printer 0, small paper, autologin on
        std::function<void(TFrmUsuSel &)> fill;
        const char *body; // sent, before the volume serial; null: nothing
        QString saved;    // "@": the installation directory
    } rows[] = {
        {"printer mode with a logo", false,
         [&](TFrmUsuSel &w) {
             w.EdtUsu->setText(QStringLiteral("caja 1"));
             w.EdtCon->setText(QStringLiteral("p"));
             w.EdtIndice->setText(QStringLiteral("1"));
             w.CBOPapel->setCurrentIndex(1);
             click(w.CBFicheroLogotipo);
             click(w.BTFicheroLogotipo);
             click(w.BTAceptar);
         },
         "usuario=caja+1&password=p&volumenhd=",
         QStringLiteral("PRINTER=1 GENERICTEXTONLY=0 PAPER=1 LOGO=@logo.bmp IMPRIMIRPUERTO=0 PUERTOIMPRESION= AUTOL=-1")},
        {"the text-only printer over a stored logo", true,
         [&](TFrmUsuSel &w) {
             w.EdtUsu->setText(QStringLiteral("caja 2"));
             w.EdtCon->setText(QStringLiteral("q"));
             w.EdtIndice->clear();
             w.EdtIndice->setFocus();
             QTest::keyClicks(w.EdtIndice, QStringLiteral("2"));
             click(w.BTAceptar); // leaving the index applies the text-only rule first
         },
         "usuario=caja+2&password=q&volumenhd=",
         QStringLiteral("PRINTER=2 GENERICTEXTONLY=1 PAPER=0 LOGO= IMPRIMIRPUERTO=0 PUERTOIMPRESION= AUTOL=1")},
        {"cancelled after the logo was dropped", true,
         [&](TFrmUsuSel &w) {
             click(w.CBFicheroLogotipo);
             click(w.BitBtn2);
         },
         nullptr, QStringLiteral("PRINTER=0 GENERICTEXTONLY=0 PAPER=0 LOGO= IMPRIMIRPUERTO=0 PUERTOIMPRESION= AUTOL=1")},
        {"cancelled as it was", true, [&](TFrmUsuSel &w) { click(w.BitBtn2); }, nullptr,
         QStringLiteral("PRINTER=0 GENERICTEXTONLY=0 PAPER=0 LOGO=@logo.bmp IMPRIMIRPUERTO=0 PUERTOIMPRESION= AUTOL=1")},
    };
    const QStringList dirs{appDir(), m_dir.path() + QStringLiteral("/registry"), hive()};
    const auto giveDirsBack = qScopeGuard([&] {
        for (const QString &dir : dirs)
            unprivileged::give(dir, 0755);
    });
    for (const auto &row : rows) {
        SCOPED_TRACE(row.description);
        QDir().mkpath(hive());
        for (const QString &dir : dirs)
            ASSERT_TRUE(unprivileged::give(dir, 0755));
        startOver(server);
        QFile::remove(logo);
        const qsizetype requestsBefore = server.requests().size();
        if (row.storedLogo) {
            ASSERT_TRUE(picture.save(logo, "BMP"));
            TConfigSysMostrador stored;
            stored.indiceImpresora = QStringLiteral("0");
            stored.tipoPapel = QStringLiteral("0");
            stored.ficheroLogo = logo;
            stored.autologin = 1;
            guardarConfigSys(appDir(), kSettingsFile, stored);
        }
        QTimer::singleShot(0, [&] {
            auto *shown = dynamic_cast<TFrmUsuSel *>(QApplication::activeModalWidget());
            if (!shown) {
                ADD_FAILURE() << "no configuration window";
                return;
            }
            shown->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(shown));
            EXPECT_FALSE(shown->CBAutologin->isVisible());
            row.fill(*shown);
        });

        EXPECT_EQ(enrol(window), row.body != nullptr);
        EXPECT_EQ(summary(storedSettings()).toStdString(), QString(row.saved).replace(u'@', appDir()).toStdString());
        EXPECT_EQ(QFile::exists(logo), row.saved.contains(QStringLiteral("logo.bmp")));
        const QList<RecordedRequest> requests = server.requests().mid(requestsBefore);
        ASSERT_EQ(requests.size(), row.body ? 1 : 0);
        if (row.body) {
            EXPECT_EQ(requests[0].body, row.body + state.DD.toLatin1());
            expectBoxes({{Icon::Information, kSentence}}, row.description);
        } else {
            EXPECT_TRUE(boxes.boxes.isEmpty());
            EXPECT_FALSE(QFile::exists(keyFile()));
            EXPECT_TRUE(logLines().contains(
                QStringLiteral("CANCELACION DE USUARIO: Usuario cancela la ventana de configuracion de Mostrador")));
        }
    }
}

TEST_F(TerminalEnrolmentTest, WhatThisUserMayNotWriteIsToldAndNothingIsSentBeforeTheSettingsAreSaved)
{
    // Root ignores file modes: the enrolment runs as an unprivileged user.
    if (const QString reason = unprivileged::skipReason(); !reason.isEmpty())
        GTEST_SKIP() << reason.toStdString();
    const CentralServer server;
    chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
    chmod(QFile::encodeName(workDir()).constData(), 01777);
    const QByteArray refused = "refused\n0 " + kKeyRefused.toUtf8() + '\n';
    const struct {
        const char *description;
        bool ownSettings;
        bool keyBefore; // a key kept from the user, with its protocol values
        int exitCode;
        QByteArray output;
        int requests;
    } rows[] = {
        {"a settings file it may not write", false, false, 3, "", 0},
        {"a registry it may not write", true, false, 0, refused, 1},
        {"a key it may not write", true, true, 0, refused, 1},
    };
    const QStringList dirs{appDir(), m_dir.path() + QStringLiteral("/registry"), hive()};
    const auto giveDirsBack = qScopeGuard([&] {
        for (const QString &dir : dirs)
            unprivileged::give(dir, 0755);
    });
    for (const auto &row : rows) {
        SCOPED_TRACE(row.description);
        QDir().mkpath(hive());
        for (const QString &dir : dirs)
            ASSERT_TRUE(unprivileged::give(dir, 0755));
        startOver(server);
        const qsizetype requestsBefore = server.requests().size();
        if (row.keyBefore) {
            platform::RegistryKey key(hive());
            ASSERT_EQ(key.create(credentialskey::kName), 0);
            ASSERT_EQ(key.writeString(QString(), credentialskey::kDefaultText), 0);
            ASSERT_TRUE(unprivileged::keep(keyFile(), 0600));
        }
        for (const auto &[path, mode] : {std::pair(appDir(), 0755), {appDir() + kSettingsFile, 0644}})
            ASSERT_TRUE(row.ownSettings ? unprivileged::give(path, mode) : unprivileged::keep(path, mode));
        for (const QString &path : {m_dir.path() + QStringLiteral("/registry"), hive()})
            ASSERT_TRUE(unprivileged::keep(path, 0755));

        QProcess probe;
        unprivileged::start(probe, QStringLiteral(ENROLMENT_PROBE_PATH), {appDir(), hive()});
        ASSERT_TRUE(probe.waitForFinished(30000));
        const QByteArray errors = probe.readAllStandardError();
        EXPECT_EQ(probe.exitCode(), row.exitCode) << errors.constData();
        EXPECT_EQ(probe.readAllStandardOutput(), row.output) << errors.constData();
        EXPECT_EQ(server.requests().size() - requestsBefore, row.requests);
        EXPECT_EQ(QFile::exists(keyFile()), row.keyBefore);
        if (row.keyBefore) {
            EXPECT_EQ(keyValue(credentialskey::kUser), QString());
        }
        if (row.exitCode == 3) {
            EXPECT_EQ(errors.trimmed(), "Unable to write to " + QFile::encodeName(appDir() + kSettingsFile));
        } else {
            EXPECT_EQ(storedSettings().puerto, QStringLiteral("COM1"));
            EXPECT_EQ(logLines().filter(QStringLiteral("Error al registrar usuario. Ejecute la aplicacion con permisos de "
                                                       "administrador. ERROR: No se puede "))
                          .size(),
                      1)
                << logLines().join(u'\n').toStdString();
        }
        unprivileged::give(hive(), 0755);
        QFile::remove(keyFile());
    }
}

} // namespace
