// The desktop starts the installed Ticketera for a "ZVR:" URL, as a browser or the kiosk asks it
// to: through GIO ("gio open") and through xdg-open, in an X session without a desktop
// environment, with the entries `cmake --install` wrote registered for a user of the test's own.
#include "installedcopy.h"
#include "pseudoterminal.h"
#include "schemehandler.h"
#include "xvfbserver.h"

#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QByteArray kBlank = " \r\n \r\n \r\n";

} // namespace

TEST(DesktopHandoff, TheSchemesHandlerStartsTicketeraWithTheExactUrl)
{
    const QString printed = QStringLiteral("] Termino de impresion por puerto\r\n");
    const struct {
        const char *launcher;
        QString url;
        QByteArray port;
        QString logLine; // waited for
    } cases[] = {
        {"gio", QStringLiteral("zvr:LIB&1&0&0&&0&&1100%%+x%5Cn"), "100% x\\n\r\n" + kBlank, printed},
        {"gio", QStringLiteral("ZVR:LIB&1&0&0&&0&&1a%5c+b"), "a\\ b\r\n" + kBlank, printed},
        // Ticketera's decoder refuses it (a box, then its window): the text arrived as it was.
        {"gio", QStringLiteral("zvr:LIB&1&0&0&&0&&1a%G1%4"), "",
         QStringLiteral("] INICIO DE OPERACION UTF8Decode. Cadena: LIB&1&0&0&&0&&1a%G1%4\r\n")},
        {"xdg-open", QStringLiteral("zvr:LIB&1&0&0&&0&&1100%%+x%5Cn"), "100% x\\n\r\n" + kBlank, printed},
    };
    const XvfbServer xvfb;
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.launcher) + ' ' + c.url.toStdString());
        const InstalledCopy copy;
        const QString home = copy.root() + QStringLiteral("/home");
        registerSchemeHandler(copy, home + QStringLiteral("/.local/share"), home + QStringLiteral("/.config"));
        PseudoTerminal terminal;
        copy.writeSettings("[PRINTER_CONFIG]\r\nIMPRIMIRPUERTO=1\r\nPUERTOIMPRESION=COM1\r\n[PORTS]\r\nCOM1=" +
                           terminal.devicePath().toUtf8() + "\r\n");

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID",
                                 "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("DISPLAY"), xvfb.display());
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("ZELVORA_TEMP_DIR"), copy.workDir());
        QProcess launcher;
        launcher.setProcessEnvironment(env);
        launcher.start(QString::fromLatin1(c.launcher),
                       QString::fromLatin1(c.launcher) == QLatin1String("gio") ? QStringList{QStringLiteral("open"), c.url}
                                                                               : QStringList{c.url});
        ASSERT_TRUE(launcher.waitForFinished(30000));
        EXPECT_EQ(launcher.exitCode(), 0) << launcher.readAllStandardError().constData();

        EXPECT_TRUE(QTest::qWaitFor([&] { return copy.log().contains(c.logLine); }, 30000)) << copy.log().toStdString();
        EXPECT_EQ(terminal.read(-1, 500), c.port);
        EXPECT_TRUE(copy.log().contains(QStringLiteral("\r\nParametro1: ") + c.url + QStringLiteral("\r\n")))
            << copy.log().toStdString();
    }
}
