#include "boundedprocess.h"
#include "packageupdate.h"
#include "paths.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    const QCoreApplication application(argc, argv);
    // apt and dpkg ask nothing and answer in plain words, whoever started the Updater and how.
    qputenv("DEBIAN_FRONTEND", "noninteractive");
    qputenv("APT_LISTCHANGES_FRONTEND", "none");
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("PATH", "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin");
    return PackageUpdate(platform::installationDirectory(), QStringLiteral(ZELVORA_ARCHIVE_KEYRING_PATH),
                         platform::runBounded)
        .run();
}
