#include "kiosk.h"

#include "installedcopy.h"
#include "processtree.h"

#include <QDir>
#include <QElapsedTimer>
#include <csignal>

Kiosk::Kiosk(const InstalledCopy &copy, const QString &display, const QString &program,
             const QProcessEnvironment &extra, const QStringList &wrapper)
{
    QDir().mkpath(runtimeDir(copy));
    QFile::setPermissions(runtimeDir(copy), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir().mkpath(homeDir(copy));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "QTWEBENGINE_CHROMIUM_FLAGS", "QTWEBENGINEPROCESS_PATH",
                             "QTWEBENGINE_DISABLE_SANDBOX", "QT_LOGGING_RULES"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("ZELVORA_TEMP_DIR"), copy.workDir());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir(copy));
    env.insert(QStringLiteral("HOME"), homeDir(copy));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), homeDir(copy) + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), homeDir(copy) + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), homeDir(copy) + QStringLiteral("/.cache"));
    // In a sanitizer build: Chromium inside Qt WebEngine frees some objects with a delete of
    // another size and leaves others for the end of the process, some of them in a GL driver it
    // has unloaded by then, where no suppression can name them. Not faults of ours; our own code
    // is checked for leaks by the in-process tests.
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               (asan.isEmpty() ? QString() : asan + u':') + QStringLiteral("new_delete_type_mismatch=0:detect_leaks=0"));
#if defined(__SANITIZE_ADDRESS__)
    // Run as another user (the kiosk session), Chromium sandboxes its processes with an address
    // space smaller than AddressSanitizer reserves: they fail at once. As root there is no sandbox.
    env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
#endif
    for (const QString &key : extra.keys())
        env.insert(key, extra.value(key));
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(copy.root());

    m_path = program.startsWith(u'/') ? program : copy.appDir() + program;
    if (wrapper.isEmpty())
        m_process.start(m_path, {});
    else
        m_process.start(wrapper.first(), wrapper.mid(1) << m_path);
    m_process.waitForStarted();
    m_pid = m_process.processId();
}

Kiosk::~Kiosk()
{
    // The browser's processes outlive a killed main process for a moment: end them all.
    QList<qint64> tree = processtree::liveTree(m_pid);
    for (qint64 orphan : m_orphans)
        if (processtree::executable(orphan) == m_path)
            tree << processtree::liveTree(orphan);
    for (qint64 pid : tree)
        ::kill(static_cast<pid_t>(pid), SIGKILL);
    m_process.waitForFinished(5000);
}

bool Kiosk::waitForExit(int timeoutMs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
}

int Kiosk::exitCode() const
{
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QByteArray Kiosk::standardOutput()
{
    m_process.waitForReadyRead(10);
    m_stdout += m_process.readAllStandardOutput();
    return m_stdout;
}

bool Kiosk::waitForOutput(const QByteArray &needle, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!standardOutput().contains(needle)) {
        if (timer.elapsed() > timeoutMs || m_process.state() == QProcess::NotRunning)
            return standardOutput().contains(needle);
        m_process.waitForReadyRead(100);
    }
    return true;
}

QByteArray Kiosk::standardError()
{
    m_process.waitForReadyRead(10);
    m_stderr += m_process.readAllStandardError();
    return m_stderr;
}

bool Kiosk::killMain()
{
    m_orphans = processtree::liveTree(m_pid);
    m_orphans.removeAll(m_pid);
    ::kill(static_cast<pid_t>(m_pid), SIGKILL);
    // Its files, the lock among them, close only once its memory is gone, which on a loaded
    // machine takes a while for a browser.
    return m_process.waitForFinished(60000);
}

QString Kiosk::runtimeDir(const InstalledCopy &copy)
{
    return copy.root() + QStringLiteral("/run");
}

QString Kiosk::homeDir(const InstalledCopy &copy)
{
    return copy.root() + QStringLiteral("/home");
}

QString Kiosk::lockPath(const InstalledCopy &copy)
{
    return runtimeDir(copy) + QStringLiteral("/ZelvoraMostrador.lock");
}
