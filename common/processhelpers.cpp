#include "processhelpers.h"

#include "applicationwindows.h"
#include "elevatedprocess.h"
#include "paths.h"
#include "volumeserial.h"

int ejecutarComoAdministrador(const QString &program, ApplicationWindows *caller,
                              const std::function<void(const QString &)> &log)
{
    return platform::runElevatedAndWait(
        program, [caller] { traerAplicacionAlFrente(caller); },
        [caller] {
            if (caller)
                caller->processEvents();
        },
        [&](const platform::UntrustedPath &untrusted) {
            if (!log)
                return;
            const QString why = untrusted.reason == platform::UntrustedPath::Reason::NotOwnedByRoot
                                    ? QStringLiteral(" no pertenece a root")
                                    : QStringLiteral(" lo pueden modificar otros usuarios");
            log(QStringLiteral("ERROR: No se ejecuta como administrador ") + program + QStringLiteral(": ") +
                untrusted.path + why);
        });
}

void traerAplicacionAlFrente(ApplicationWindows *caller)
{
    if (caller)
        caller->bringToFront();
}

QString numeroSerieVolumen(const QString &)
{
    return QString::number(platform::volumeSerialOfCurrentDirectory(), 16).toUpper().rightJustified(8, u'0');
}

QString versionEjecutable()
{
    return QStringLiteral(ZELVORA_VERSION_MAJOR_MINOR);
}

QString directorioTemporal()
{
    return platform::temporaryDirectory();
}
