#include "peakmemory.h"

#include <QFile>

namespace {

qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray all = status.readAll();
    const qsizetype at = all.indexOf(field);
    return at < 0 ? 0 : all.mid(at + qstrlen(field), 20).trimmed().split(' ').first().toLongLong();
}

} // namespace

qint64 peakGrowthKb(const std::function<void()> &work)
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5"); // the peak starts again from the memory held now
    clear.close();
    const qint64 before = statusKb("VmRSS:");
    work();
    return statusKb("VmHWM:") - before;
}
