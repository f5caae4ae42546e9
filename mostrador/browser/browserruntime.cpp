#include "browserruntime.h"

#include "paths.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>
#include <QWebEngineProfile>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

// Qt WebEngine's entry for its sub-processes; its own helper program does no more than call it.
namespace QtWebEngineCore {
int processMain(int argc, const char **argv);
}

namespace {

constexpr char kSubprocessPathVariable[] = "QTWEBENGINEPROCESS_PATH";
constexpr char kChromiumFlagsVariable[] = "QTWEBENGINE_CHROMIUM_FLAGS";

// What the two variables held before configureProcess(): programs that the kiosk starts later
// (the updater, the ticket printer) get the user's environment back.
struct SavedVariable {
    bool wasSet = false;
    QByteArray value;
};
SavedVariable savedSubprocessPath;
SavedVariable savedChromiumFlags;

SavedVariable save(const char *name)
{
    return {qEnvironmentVariableIsSet(name), qgetenv(name)};
}

void restore(const char *name, const SavedVariable &saved)
{
    if (saved.wasSet)
        qputenv(name, saved.value);
    else
        qunsetenv(name);
}

QByteArray chromiumFlags()
{
    // No certificate check, as the kiosk's servers may present any certificate; Chromium's own
    // logging off; nothing fetched in the background (updates, field trials, safe browsing).
    QByteArray flags = "--ignore-certificate-errors --disable-logging --log-level=3"
                       " --disable-background-networking --disable-component-update";
    // Chromium's sandbox refuses to run as root: only then is it switched off.
    if (geteuid() == 0)
        flags += " --no-sandbox";
    return flags;
}

} // namespace

std::optional<int> BrowserRuntime::dispatch(int argc, char **argv)
{
    bool subprocess = false;
    for (int i = 1; i < argc && !subprocess; ++i)
        subprocess = std::strncmp(argv[i], "--type=", 7) == 0;
    if (!subprocess)
        return std::nullopt;

    // Chromium rewrites argv to set the process title: the application object gets a copy.
    std::vector<std::string> copies(argv, argv + argc);
    std::vector<char *> copyPointers;
    for (std::string &copy : copies)
        copyPointers.push_back(copy.data());
    copyPointers.push_back(nullptr);
    int copyCount = argc;
    const QCoreApplication application(copyCount, copyPointers.data());
    return QtWebEngineCore::processMain(argc, const_cast<const char **>(argv));
}

void BrowserRuntime::configureProcess()
{
    savedSubprocessPath = save(kSubprocessPathVariable);
    savedChromiumFlags = save(kChromiumFlagsVariable);
    // The sub-processes are started from this executable, which dispatch() turns into them.
    qputenv(kSubprocessPathVariable, QFile::encodeName(platform::executablePath()));
    QByteArray flags = savedChromiumFlags.value;
    if (!flags.isEmpty())
        flags += ' ';
    qputenv(kChromiumFlagsVariable, flags + chromiumFlags());

    // Nothing of the browser is kept on disk, the graphics shader cache included.
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    // The runtime's own reports stay quiet (QT_LOGGING_RULES still overrides this).
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webengine*=false\njs=false"));
}

BrowserRuntime::BrowserRuntime()
    : m_profile(std::make_unique<QWebEngineProfile>()) // no storage name: off the record
{
    // Chromium has read its settings now.
    restore(kSubprocessPathVariable, savedSubprocessPath);
    restore(kChromiumFlagsVariable, savedChromiumFlags);
}

BrowserRuntime::~BrowserRuntime() = default;
