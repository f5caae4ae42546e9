// The installed Configuracion as Ticketera starts it when its settings are unusable: the settings
// file the package leaves empty, Ticketera run as root (so the start needs no pkexec) on an X server.
#include "installedcopy.h"
#include "windowcloser.h"
#include "xvfbserver.h"
#include "workedexamples.h"

#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(ConfiguracionInstalled, TicketeraStartsItWhenTheSettingsAreUnusable)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "without root the start goes through pkexec, which needs a person to answer it";
    XvfbServer x;
    const struct {
        const char *name;
        QFileDevice::Permissions mode; // of the installed Configuracion
        bool shown;
    } rows[] = {
        {"root's program", QFileDevice::Permissions(0x7755), true},
        {"a program its group may write", QFileDevice::Permissions(0x7775), false},
    };
    for (const auto &row : rows) {
        const InstalledCopy copy;
        copy.writeSettings(QByteArray());
        const QString program = copy.appDir() + QStringLiteral("Configuracion");
        QFile::setPermissions(program, row.mode);
        QProcessEnvironment env;
        env.insert(QStringLiteral("DISPLAY"), x.display());
        QProcess ticketera;
        copy.start(ticketera, QStringLiteral("Ticketera"), {workedexamples::kUrl1}, env);
        // The person at the terminal closes the window without saving.
        const QStringList windows = closeWindowsUntilFinished(ticketera, x.display());
        EXPECT_EQ(ticketera.exitCode(), 0) << row.name;
        EXPECT_EQ(windows, row.shown ? QStringList{QStringLiteral("Configuración aplicación")} : QStringList())
            << row.name;
        EXPECT_EQ(copy.readFile(QStringLiteral("Ticketera.ini")), QByteArray()) << row.name;

        const QString log = copy.log();
        EXPECT_TRUE(log.contains(QStringLiteral("] Se ejecuta la aplicacion de configuracion: ") + program)) << row.name;
        EXPECT_EQ(log.contains(QStringLiteral("] ERROR: No se ejecuta como administrador ") + program + QStringLiteral(": ") +
                               program + QStringLiteral(" lo pueden modificar otros usuarios\r\n")),
                  !row.shown)
            << row.name;
        EXPECT_FALSE(log.contains(QStringLiteral("Cadena de impresion"))) << row.name; // the run ended there
        const QString own = copy.log(QStringLiteral("Configuracion.log"));
        EXPECT_EQ(own.contains(QStringLiteral(
                      "] CANCELACION DE USUARIO: Usuario cancela la ventana de configuracion\r\n")),
                  row.shown)
            << row.name;
    }
}
