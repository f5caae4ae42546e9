#include "packageupdate.h"

#include "addressbook.h"
#include "aptconfiguration.h"
#include "configsys.h"
#include "deferredstop.h"
#include "escribirlog.h"
#include "logtext.h"
#include "storedserveraddress.h"
#include "updaterstate.h"

#include <QFileInfo>
#include <optional>

namespace {

const QString kAptGet = QStringLiteral("/usr/bin/apt-get");
const QString kDpkg = QStringLiteral("/usr/bin/dpkg");
const QString kDpkgQuery = QStringLiteral("/usr/bin/dpkg-query");
const QString kInstalled = QStringLiteral("installed");
const QString kStopped = QStringLiteral("ERROR. Se pidio parar: la actualizacion termina al acabar el paso de dpkg.");
constexpr qint64 kRetryAfterSeconds = 3600;

int failed(const QString &reason)
{
    escribirLog(reason);
    escribirLog(QStringLiteral("Fin de la actualizacion. KO."));
    return 1;
}

} // namespace

const QString PackageUpdate::kPackage = QStringLiteral("zelvora");

PackageUpdate::PackageUpdate(QString dirApp, QString keyring, QString stateDirectory, RunCommand runCommand,
                             UpdateLimits limits)
    : m_dirApp(std::move(dirApp)), m_keyring(std::move(keyring)), m_stateDirectory(std::move(stateDirectory)),
      m_runCommand(std::move(runCommand)), m_limits(limits)
{
}

int PackageUpdate::run() const
{
    escribirLog(QStringLiteral("Inicio de la actualizacion. Ruta instalacion: ") + m_dirApp);
    const QString address = direccionServidor(m_dirApp, kSettingsFile,
                                              QStringLiteral("Leer la Ip de conexion del fichero INI. IP: "),
                                              QStringLiteral("Conseguir la IP de conexion por defecto. IP: "),
                                              MostradorLogSwitches{true, true});
    // It goes into apt's sources file: only a host and a port may.
    if (!esDireccionServidor(address))
        return failed(QStringLiteral("ERROR. La direccion del servidor no sirve para el repositorio: ") +
                      logText(address));
    if (!QFileInfo(m_keyring).isFile())
        return failed(QStringLiteral("ERROR. No existe la clave del repositorio: ") + m_keyring);

    // One power cut costs at most one update: apt does nothing while dpkg was left interrupted.
    if (!repair())
        return failed(kStopped);
    const Installed before = installed();
    if (before.version.isEmpty())
        return failed(QStringLiteral("ERROR. El paquete ") + kPackage + QStringLiteral(" no esta instalado."));
    escribirLog(QStringLiteral("Version instalada: ") + before.text());

    const UpdaterState state(m_stateDirectory);
    const QString repository = addressbook::urlRepositorio(address);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (const std::optional<UpdaterState::FailedAttempt> last = state.failedAttempt();
        last && last->server == repository && last->installed == before.text() && last->at <= now &&
        last->at.secsTo(now) < kRetryAfterSeconds)
        return failed(QStringLiteral("No se descarga de nuevo: el intento anterior con este repositorio y esta "
                                     "version instalada fallo a las ") +
                      last->at.toString(Qt::ISODate) + QStringLiteral("; se intentara pasada una hora."));

    const AptConfiguration apt(m_stateDirectory, repository, m_keyring);
    if (!apt.prepare())
        return failed(QStringLiteral("ERROR. No se pudo preparar el directorio de la actualizacion: ") +
                      m_stateDirectory);
    escribirLog(QStringLiteral("Repositorio de la actualizacion: ") + apt.sourcesLine());
    const QString notUpdated = QStringLiteral("ERROR. No se actualizo el paquete ") + kPackage +
                               QStringLiteral(". Version instalada: ");
    if (!fetch(apt, state)) {
        state.recordFailedAttempt({now, repository, before.text()});
        return failed(notUpdated + installed().text());
    }
    switch (runStep(kAptGet, QStringLiteral("apt-get install ") + kPackage, apt.installArguments(kPackage),
                    platform::kNoBound, true)) {
    case Result::StopAsked:
        return failed(kStopped);
    case Result::Failed:
        // Not the server's fault: the next start tries again.
        repair();
        return failed(notUpdated + installed().text());
    case Result::Done:
        break;
    }

    const Installed after = installed();
    if (after.text() == before.text()) {
        state.recordFailedAttempt({now, repository, before.text()});
        return failed(QStringLiteral("ERROR. El repositorio no tiene una version de ") + kPackage +
                      QStringLiteral(" mas nueva que la instalada: ") + before.text());
    }
    if (after.status != kInstalled)
        return failed(notUpdated + after.text());
    state.forgetFailedAttempt();
    escribirLog(QStringLiteral("Version instalada tras la actualizacion: ") + after.text());
    escribirLog(QStringLiteral("Fin de la actualizacion. OK."));
    return 0;
}

bool PackageUpdate::fetch(const AptConfiguration &apt, const UpdaterState &state) const
{
    if (runStep(kAptGet, QStringLiteral("apt-get update"), apt.updateArguments(), m_limits.index) != Result::Done)
        return false;
    // apt keeps the newest index of one source; one older than the last accepted, from any
    // source (a stored address changed to another host's), is refused here.
    const std::optional<QDateTime> date = apt.indexDate();
    if (!date) {
        escribirLog(QStringLiteral("ERROR. El indice del repositorio no tiene fecha."));
        return false;
    }
    escribirLog(QStringLiteral("Fecha del indice del repositorio: ") + date->toString(Qt::ISODate));
    const std::optional<QDateTime> accepted = state.acceptedIndexDate();
    if (accepted && *date < *accepted) {
        escribirLog(QStringLiteral("ERROR. El indice del repositorio es anterior al ultimo aceptado (") +
                    accepted->toString(Qt::ISODate) + QStringLiteral("): se rechaza."));
        return false;
    }
    if (!state.acceptIndexDate(*date)) {
        escribirLog(QStringLiteral("ERROR. No se pudo guardar la fecha del indice en: ") + m_stateDirectory);
        return false;
    }
    return runStep(kAptGet, QStringLiteral("apt-get install --download-only ") + kPackage,
                   apt.downloadArguments(kPackage), m_limits.download) == Result::Done;
}

bool PackageUpdate::repair() const
{
    // Whatever it could not finish, apt says so in the next step.
    return runStep(kDpkg, QStringLiteral("dpkg --configure -a"), AptConfiguration::repairArguments(), m_limits.repair,
                   true) != Result::StopAsked;
}

PackageUpdate::Result PackageUpdate::runStep(const QString &program, const QString &step,
                                             const QStringList &arguments, std::chrono::milliseconds bound,
                                             bool dpkg) const
{
    escribirLog(QStringLiteral("Paso de la actualizacion: ") + step);
    std::optional<platform::DeferredStop> stop;
    if (dpkg)
        stop.emplace();
    const platform::BoundedRun run = m_runCommand(program, arguments, bound);
    const QString prefix = QFileInfo(program).fileName() + QStringLiteral(": ");
    for (QByteArray line : run.output.split('\n')) {
        // Of a line that a progress count kept rewriting, what a terminal would show at its end.
        while (line.endsWith('\r'))
            line.chop(1);
        line = line.mid(line.lastIndexOf('\r') + 1);
        if (!line.trimmed().isEmpty())
            escribirLog(prefix + logText(QString::fromUtf8(line)));
    }
    Result result = Result::Done;
    if (!run.started) {
        escribirLog(QStringLiteral("ERROR. No se pudo ejecutar: ") + program);
        result = Result::Failed;
    } else if (run.timedOut) {
        escribirLog(QStringLiteral("ERROR. Tiempo agotado (%1 s) en el paso: ")
                        .arg(std::chrono::duration_cast<std::chrono::seconds>(bound).count()) +
                    step);
        result = Result::Failed;
    } else if (run.exitCode != 0) {
        escribirLog(QStringLiteral("ERROR. Fallo en el paso: ") + step +
                    QStringLiteral(". Codigo de salida: ") + QString::number(run.exitCode));
        result = Result::Failed;
    }
    return stop && stop->asked() ? Result::StopAsked : result;
}

QString PackageUpdate::Installed::text() const
{
    return status == kInstalled ? version : version + QStringLiteral(" (") + status + u')';
}

PackageUpdate::Installed PackageUpdate::installed() const
{
    const platform::BoundedRun run =
        m_runCommand(kDpkgQuery, {QStringLiteral("-W"), QStringLiteral("-f=${db:Status-Status}\\t${Version}"), kPackage},
                     m_limits.query);
    const QList<QByteArray> fields = run.output.trimmed().split('\t');
    if (run.exitCode != 0 || fields.size() != 2 || fields.front() == "not-installed" ||
        fields.front() == "config-files")
        return {};
    return {logText(QString::fromUtf8(fields.back())), logText(QString::fromUtf8(fields.front()))};
}
