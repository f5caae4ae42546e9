#include "systemdunit.h"

#include <QFile>
#include <QFileInfo>

namespace platform {

bool systemdRuns()
{
    return QFileInfo(QStringLiteral("/run/systemd/system")).isDir();
}

QString ownSystemdUnit()
{
    QFile groups(QStringLiteral("/proc/self/cgroup"));
    if (!groups.open(QIODevice::ReadOnly))
        return {};
    // The unified hierarchy ("0::/system.slice/x.service"), else systemd's own named one.
    QByteArray path;
    for (const QByteArray &line : groups.readAll().split('\n')) {
        if (line.startsWith("0::") || line.contains(":name=systemd:"))
            path = line.mid(line.indexOf(":/") + 1);
        if (line.startsWith("0::"))
            break;
    }
    const QByteArray unit = path.mid(path.lastIndexOf('/') + 1);
    return unit.endsWith(".service") ? QString::fromUtf8(unit) : QString();
}

} // namespace platform
