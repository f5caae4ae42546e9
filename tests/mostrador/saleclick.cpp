#include "saleclick.h"

#include "installedcopy.h"
#include "kiosk.h"

#include <QDir>
#include <QFile>
#include <QRect>
#include <stdexcept>

namespace saleclick {

void registerTicketera(const InstalledCopy &copy)
{
    const QString entryName = QStringLiteral("zelvora-ticketera.desktop");
    QByteArray entry = copy.readFile(entryName);
    if (entry.isEmpty())
        throw std::runtime_error("the installation holds no desktop entry for Ticketera");
    // The stage's entry names the stage's program; the copy's must run the copy's.
    entry.replace(QFile::encodeName(QDir(InstalledCopy::stageDir()).absolutePath() + u'/'),
                  QFile::encodeName(copy.appDir()));
    const QString home = Kiosk::homeDir(copy);
    const QString applications = home + QStringLiteral("/.local/share/applications");
    const QString config = home + QStringLiteral("/.config");
    QDir().mkpath(applications);
    QDir().mkpath(config);
    QFile file(applications + u'/' + entryName);
    QFile choice(config + QStringLiteral("/mimeapps.list"));
    const QByteArray list = "[Default Applications]\nx-scheme-handler/zvr=" + entryName.toUtf8() + '\n';
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(entry) != entry.size() ||
        !choice.open(QIODevice::WriteOnly | QIODevice::Truncate) || choice.write(list) != list.size())
        throw std::runtime_error("cannot register the scheme handler");
}

bool findPrintButton(const QImage &page, QPoint *middle)
{
    // The button's own green, which nothing else on the page uses.
    QRect box;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if ((page.pixel(x, y) & 0xffffff) == 0x2e7d32)
                box |= QRect(x, y, 1, 1);
    if (box.width() < 8 || box.height() < 8)
        return false;
    *middle = box.center();
    return true;
}

} // namespace saleclick
