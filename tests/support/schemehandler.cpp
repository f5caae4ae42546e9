#include "schemehandler.h"

#include "installedcopy.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <stdexcept>

namespace {

void run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw std::runtime_error((program + u' ' + arguments.join(u' ') + u'\n').toStdString() +
                                 process.readAll().toStdString());
}

} // namespace

void registerSchemeHandler(const InstalledCopy &copy, const QString &dataHome, const QString &configHome)
{
    // The entries name the copy's programs: the installation writes them for that prefix.
    const QString prefix = QDir(copy.appDir()).absolutePath();
    run(QStringLiteral(ZELVORA_CMAKE_COMMAND), {QStringLiteral("--install"), QStringLiteral(ZELVORA_BUILD_DIR),
                                                QStringLiteral("--prefix"), prefix, QStringLiteral("--component"),
                                                QStringLiteral("desktop")});
    const QString applications = dataHome + QStringLiteral("/applications");
    QDir().mkpath(applications);
    QDir().mkpath(configHome);
    for (const char *entry : {"zelvora-ticketera.desktop", "zelvora-mostrador.desktop"}) {
        const QString target = applications + u'/' + QLatin1String(entry);
        QFile::remove(target);
        if (!QFile::copy(prefix + u'/' + QLatin1String(entry), target))
            throw std::runtime_error("no desktop entry " + std::string(entry));
    }
    run(QStringLiteral("update-desktop-database"), {applications});
    QFile list(configHome + QStringLiteral("/mimeapps.list"));
    if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        list.write("[Default Applications]\nx-scheme-handler/zvr=zelvora-ticketera.desktop\n") < 0)
        throw std::runtime_error("cannot write mimeapps.list");
}
