#include "packageupdate.h"

#include "addressbook.h"
#include "aptconfiguration.h"
#include "configsys.h"
#include "escribirlog.h"
#include "logtext.h"
#include "storedserveraddress.h"

#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const QString kAptGet = QStringLiteral("/usr/bin/apt-get");
const QString kDpkgQuery = QStringLiteral("/usr/bin/dpkg-query");

int failed(const QString &reason)
{
    escribirLog(reason);
    escribirLog(QStringLiteral("Fin de la actualizacion. KO."));
    return 1;
}

} // namespace

const QString PackageUpdate::kPackage = QStringLiteral("zelvora");

PackageUpdate::PackageUpdate(QString dirApp, QString keyring, RunCommand runCommand, UpdateLimits limits)
    : m_dirApp(std::move(dirApp)), m_keyring(std::move(keyring)), m_runCommand(std::move(runCommand)),
      m_limits(limits)
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

    const QString before = installedVersion();
    if (before.isEmpty())
        return failed(QStringLiteral("ERROR. El paquete ") + kPackage + QStringLiteral(" no esta instalado."));
    escribirLog(QStringLiteral("Version instalada: ") + before);

    // Root's, readable by apt's unprivileged downloader; gone with the run.
    QTemporaryDir directory(QStringLiteral("/var/tmp/zelvora-updater-XXXXXX"));
    const AptConfiguration apt(directory.path(), addressbook::urlRepositorio(address), m_keyring);
    if (!directory.isValid() ||
        !QFile::setPermissions(directory.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                     QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                     QFileDevice::ExeOther) ||
        !apt.prepare())
        return failed(QStringLiteral("ERROR. No se pudo preparar el directorio de la actualizacion: ") +
                      directory.path());
    escribirLog(QStringLiteral("Repositorio de la actualizacion: ") + apt.sourcesLine());

    if (!runApt(QStringLiteral("apt-get update"), apt.updateArguments(), m_limits.index) ||
        !runApt(QStringLiteral("apt-get install --download-only ") + kPackage, apt.downloadArguments(kPackage),
                m_limits.download) ||
        !runApt(QStringLiteral("apt-get install ") + kPackage, apt.installArguments(kPackage), m_limits.install))
        return failed(QStringLiteral("ERROR. No se actualizo el paquete ") + kPackage +
                      QStringLiteral(". Version instalada: ") + installedVersion());

    const QString after = installedVersion();
    if (after == before)
        return failed(QStringLiteral("ERROR. El repositorio no tiene una version de ") + kPackage +
                      QStringLiteral(" mas nueva que la instalada: ") + before);
    escribirLog(QStringLiteral("Version instalada tras la actualizacion: ") + after);
    escribirLog(QStringLiteral("Fin de la actualizacion. OK."));
    return 0;
}

bool PackageUpdate::runApt(const QString &step, const QStringList &arguments, std::chrono::milliseconds bound) const
{
    escribirLog(QStringLiteral("Paso de la actualizacion: ") + step);
    const platform::BoundedRun run = m_runCommand(kAptGet, arguments, bound);
    for (QByteArray line : run.output.split('\n')) {
        // Of a line that a progress count kept rewriting, what a terminal would show at its end.
        while (line.endsWith('\r'))
            line.chop(1);
        line = line.mid(line.lastIndexOf('\r') + 1);
        if (!line.trimmed().isEmpty())
            escribirLog(QStringLiteral("apt-get: ") + logText(QString::fromUtf8(line)));
    }
    if (!run.started) {
        escribirLog(QStringLiteral("ERROR. No se pudo ejecutar: ") + kAptGet);
        return false;
    }
    if (run.timedOut) {
        escribirLog(QStringLiteral("ERROR. Tiempo agotado (%1 s) en el paso: ")
                        .arg(std::chrono::duration_cast<std::chrono::seconds>(bound).count()) +
                    step);
        return false;
    }
    if (run.exitCode != 0) {
        escribirLog(QStringLiteral("ERROR. Fallo en el paso: ") + step +
                    QStringLiteral(". Codigo de salida: ") + QString::number(run.exitCode));
        return false;
    }
    return true;
}

QString PackageUpdate::installedVersion() const
{
    const platform::BoundedRun run = m_runCommand(
        kDpkgQuery, {QStringLiteral("-W"), QStringLiteral("-f=${Status}\\t${Version}"), kPackage}, m_limits.query);
    if (run.exitCode != 0)
        return {};
    const QList<QByteArray> fields = run.output.trimmed().split('\t');
    if (fields.size() != 2 || !fields.front().endsWith(" installed"))
        return {};
    return logText(QString::fromUtf8(fields.back()));
}
