#include "boundedprocess.h"
#include "callerstate.h"
#include "escribirlog.h"
#include "logtext.h"
#include "packageupdate.h"
#include "paths.h"
#include "systemdunit.h"

#include <QCoreApplication>

namespace {

const QString kService = QStringLiteral("zelvora-updater.service");
const QString kStateDirectory = QStringLiteral("/var/lib/zelvora-updater");
// How long whoever started the Updater waits for the service: the bounded steps and then some.
// An installation still under way goes on in the service.
constexpr std::chrono::minutes kServiceWait{22};

// The upgrade runs in the package's system service, outside the caller's login session: a
// session that ends (the kiosk stopped, its compositor dead) cannot take dpkg with it.
int startService()
{
    escribirLog(QStringLiteral("Se inicia el servicio de actualizacion: ") + kService);
    const platform::BoundedRun run = platform::runBounded(
        QStringLiteral("/usr/bin/systemctl"), {QStringLiteral("start"), kService}, kServiceWait);
    if (run.timedOut) {
        escribirLog(QStringLiteral("ERROR. El servicio de actualizacion no termino en %1 minutos; sigue sin esperarlo.")
                        .arg(kServiceWait.count()));
        return 1;
    }
    escribirLog(QStringLiteral("Fin del servicio de actualizacion. Codigo de salida: ") +
                QString::number(run.exitCode) + u' ' + logText(QString::fromUtf8(run.output.trimmed())));
    return run.exitCode == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    // Nothing of whoever started it (through pkexec, by hand, or the service) shapes what root
    // does: apt and dpkg ask nothing and answer in plain words.
    platform::leaveCallerState({"DEBIAN_FRONTEND=noninteractive", "APT_LISTCHANGES_FRONTEND=none", "LC_ALL=C.UTF-8",
                                "PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"});
    const QCoreApplication application(argc, argv);
    // Without systemd (a chroot, a container) there is no session to leave: the upgrade runs here.
    if (platform::systemdRuns() && platform::ownSystemdUnit() != kService)
        return startService();
    return PackageUpdate(platform::installationDirectory(), QStringLiteral(ZELVORA_ARCHIVE_KEYRING_PATH),
                         kStateDirectory, platform::runBounded)
        .run();
}
