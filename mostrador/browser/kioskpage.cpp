#include "kioskpage.h"

#include "printlink.h"

#include <QFile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

namespace {

// The channel and the watcher live in a world of their own, out of the page's scripts' reach,
// and only in the main frame. A click on a "ZVR:" link that the page has not handled itself is
// answered here with the href's text, before any URL parser rewrites it; the watcher leaves out
// only what every browser's parser drops (blanks around the text, tabs and line breaks in it).
const char kWatcher[] = R"(
(function () {
    var bridge = null, waiting = [];
    new QWebChannel(qt.webChannelTransport, function (channel) {
        bridge = channel.objects.enlaces;
        waiting.splice(0).forEach(function (text) { bridge.abrir(text); });
    });
    window.addEventListener('click', function (event) {
        if (event.defaultPrevented)
            return;
        var link = event.target;
        while (link && !(link.localName === 'a' || link.localName === 'area'))
            link = link.parentNode;
        var href = link && link.getAttribute('href');
        if (href === null || href === undefined)
            return;
        var text = href.replace(/^[\u0000-\u0020]+|[\u0000-\u0020]+$/g, '').replace(/[\t\n\r]/g, '');
        if (!/^zvr:/i.test(text))
            return;
        event.preventDefault();
        if (bridge)
            bridge.abrir(text);
        else
            waiting.push(text);
    });
})();
)";

constexpr quint32 kWatcherWorld = QWebEngineScript::ApplicationWorld;

QString watcherSource()
{
    QFile channelLibrary(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    channelLibrary.open(QIODevice::ReadOnly);
    return QString::fromUtf8(channelLibrary.readAll()) + QString::fromUtf8(kWatcher);
}

QString originOf(const QUrl &url)
{
    return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
        .toString(QUrl::FullyEncoded);
}

} // namespace

KioskPage::KioskPage(QWebEngineProfile &profile, PrintLinkLauncher launcher, MostradorLogSwitches logSwitches,
                     QObject *parent)
    : QWebEnginePage(&profile, parent),
      m_launcher(std::move(launcher)),
      m_logSwitches(logSwitches),
      m_bridge([this](const QString &text) { handOver(text, true); })
{
    m_channel.registerObject(QStringLiteral("enlaces"), &m_bridge);
    setWebChannel(&m_channel, kWatcherWorld);
    QWebEngineScript watcher;
    watcher.setName(QStringLiteral("enlaces-zvr"));
    watcher.setInjectionPoint(QWebEngineScript::DocumentCreation);
    watcher.setWorldId(kWatcherWorld);
    watcher.setRunsOnSubFrames(false);
    watcher.setSourceCode(watcherSource());
    scripts().insert(watcher);
    // A link the application opens from a script, after a server's answer say, comes with no
    // click: it must reach acceptNavigationRequest all the same.
    settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::AllowAllUnknownUrlSchemes);
}

KioskPage::~KioskPage()
{
    // The channel goes before the page does.
    setWebChannel(nullptr, kWatcherWorld);
}

void KioskPage::trustPrintLinksFrom(const QUrl &url)
{
    m_trustedOrigin = url;
}

bool KioskPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (!printlink::isPrintLink(url)) {
        // The policy above lets every scheme the browser does not know leave for the desktop; any
        // but ours still needs the click the browser's default asks for.
        static const QStringList webSchemes = {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("about"),
                                               QStringLiteral("data"), QStringLiteral("blob"), QStringLiteral("file")};
        if (type != NavigationTypeLinkClicked && !webSchemes.contains(url.scheme()))
            return false;
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }
    handOver(printlink::textOf(url), isMainFrame);
    return false;
}

void KioskPage::handOver(const QString &text, bool fromMainFrame)
{
    if (!printlink::isPrintLink(text))
        return;
    if (!fromMainFrame || m_trustedOrigin.isEmpty() || originOf(url()) != originOf(m_trustedOrigin)) {
        m_logSwitches.logMilestone(QStringLiteral("Enlace ZVR rechazado, no viene de la aplicacion Web: ") + text);
        return;
    }
    m_logSwitches.logGeneral(QStringLiteral("Enlace ZVR entregado al escritorio: ") + text);
    if (!m_launcher || !m_launcher(text))
        m_logSwitches.logMilestone(QStringLiteral("ERROR: el escritorio no abrio el enlace ZVR: ") + text);
}
