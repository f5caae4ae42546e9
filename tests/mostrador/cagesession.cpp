#include "cagesession.h"

#include "installedcopy.h"
#include "kiosk.h"
#include "xvfbserver.h"
#include "xwindows.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QStandardPaths>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>

namespace {

const char kUser[] = "nobody";

QString runtimeSocket(const InstalledCopy &copy)
{
    return Kiosk::runtimeDir(copy) + QStringLiteral("/wayland-0");
}

} // namespace

QString CageSession::skipReason()
{
    if (geteuid() != 0)
        return QStringLiteral("needs root to start the session as an unprivileged user (cage refuses root)");
    if (!getpwnam(kUser))
        return QStringLiteral("no user nobody to run the session as");
    for (const char *tool : {"cage", "Xwayland", "grim", "xdotool", "setpriv"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return QStringLiteral("%1 is not installed (scripts/setup.sh)").arg(QLatin1String(tool));
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    if (platforms.entryList({QStringLiteral("libqwayland*")}).isEmpty())
        return QStringLiteral("Qt's Wayland platform is not installed (qt6-wayland)");
    return {};
}

CageSession::CageSession(const InstalledCopy &copy, Backend backend) : m_copy(copy), m_backend(backend)
{
    const passwd *user = getpwnam(kUser);
    if (!user)
        throw std::runtime_error("no user nobody");
    m_uid = user->pw_uid;
    m_gid = user->pw_gid;
    if (backend == Backend::X11)
        m_xvfb = std::make_unique<XvfbServer>(1024, 768);
    // Everything the session's programs write as their user.
    QDir().mkpath(Kiosk::runtimeDir(copy));
    QFile::setPermissions(Kiosk::runtimeDir(copy), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir().mkpath(Kiosk::homeDir(copy));
    QStringList mine = {Kiosk::runtimeDir(copy), Kiosk::homeDir(copy), copy.appDir() + QStringLiteral("Ticketera.ini")};
    QDirIterator it(Kiosk::homeDir(copy), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        mine << it.next();
    for (const QString &path : mine)
        handOver(path);
}

CageSession::~CageSession() = default;

void CageSession::handOver(const QString &path) const
{
    if (lchown(QFile::encodeName(path).constData(), m_uid, m_gid) != 0 && QFileInfo::exists(path))
        throw std::runtime_error("cannot give " + path.toStdString() + " to the session's user");
}

QStringList CageSession::wrapper() const
{
    return {QStringLiteral("setpriv"), QStringLiteral("--reuid=%1").arg(m_uid), QStringLiteral("--regid=%1").arg(m_gid),
            QStringLiteral("--clear-groups"), QStringLiteral("cage"), QStringLiteral("-d"), QStringLiteral("--")};
}

QString CageSession::display() const
{
    return m_xvfb ? m_xvfb->display() : QString();
}

QProcessEnvironment CageSession::environment() const
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("WLR_BACKENDS"), m_backend == Backend::Headless ? QStringLiteral("headless") : QStringLiteral("x11"));
    env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    return env;
}

QImage CageSession::screenshot() const
{
    if (!QFileInfo::exists(runtimeSocket(m_copy)))
        return {};
    QProcess grim;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), Kiosk::runtimeDir(m_copy));
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-0"));
    grim.setProcessEnvironment(env);
    grim.start(QStringLiteral("grim"), {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-")});
    if (!grim.waitForFinished(10000) || grim.exitCode() != 0)
        return {};
    return QImage::fromData(grim.readAllStandardOutput(), "PPM");
}

void CageSession::key(const QStringList &keys) const
{
    if (!m_xvfb)
        throw std::logic_error("the headless back end has no keyboard");
    const XWindows x(m_xvfb->display());
    // cage's output is the X server's one window.
    const QString output = x.visibleTopLevels().value(0);
    x.key(output, keys);
}
