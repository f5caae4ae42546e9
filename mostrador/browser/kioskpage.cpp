#include "kioskpage.h"

#include "logtext.h"
#include "printlink.h"

#include <QFile>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

namespace {

// The channel and the watchers live in a world of their own, out of the page's scripts' reach.
// In the main frame, a click on a "ZVR:" link that the page has not handled itself is answered
// with the href's text, before any URL parser rewrites it; the watcher leaves out only what every
// browser's parser drops (blanks around the text, tabs and line breaks in it). The channel reaches
// the main frame only: in a frame, such a click is stopped before the page sees it (it could aim
// the link at the whole page) and reported to the main frame's watcher.
const char kLinkText[] = R"(
function zvrLinkText(event) {
    var link = event.target;
    while (link && !(link.localName === 'a' || link.localName === 'area'))
        link = link.parentNode;
    var href = link && link.getAttribute('href');
    if (href === null || href === undefined)
        return null;
    var text = href.replace(/^[\u0000-\u0020]+|[\u0000-\u0020]+$/g, '').replace(/[\t\n\r]/g, '');
    return /^zvr:/i.test(text) ? text : null;
}
)";

const char kMainFrameWatcher[] = R"(
(function () {
    var bridge = null, waiting = [];
    var send = function (call) {
        if (bridge)
            call(bridge);
        else
            waiting.push(call);
    };
    new QWebChannel(qt.webChannelTransport, function (channel) {
        bridge = channel.objects.enlaces;
        waiting.splice(0).forEach(function (call) { call(bridge); });
    });
    window.addEventListener('click', function (event) {
        var text = event.defaultPrevented ? null : zvrLinkText(event);
        if (text === null)
            return;
        event.preventDefault();
        var byUser = event.isTrusted;
        send(function (b) { b.abrir(text, byUser); });
    });
    window.addEventListener('message', function (event) {
        var data = event.data;
        if (event.source !== window && data && typeof data.zvrEnlaceDeMarco === 'string')
            send(function (b) { b.desdeMarco(data.zvrEnlaceDeMarco); });
    });
})();
)";

const char kFrameWatcher[] = R"(
(function () {
    if (window.top === window)
        return;
    window.addEventListener('click', function (event) {
        var text = zvrLinkText(event);
        if (text === null)
            return;
        event.preventDefault();
        window.top.postMessage({zvrEnlaceDeMarco: text}, '*');
    }, true);
})();
)";

constexpr quint32 kWatcherWorld = QWebEngineScript::ApplicationWorld;

QString mainFrameWatcherSource()
{
    QFile channelLibrary(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    channelLibrary.open(QIODevice::ReadOnly);
    return QString::fromUtf8(channelLibrary.readAll()) + QString::fromUtf8(kLinkText) +
           QString::fromUtf8(kMainFrameWatcher);
}

QWebEngineScript watcher(const QString &name, const QString &source, bool subFrames)
{
    QWebEngineScript script;
    script.setName(name);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(kWatcherWorld);
    script.setRunsOnSubFrames(subFrames);
    script.setSourceCode(source);
    return script;
}

// Scheme, host and effective port: "http://10.0.0.5:80" and "http://10.0.0.5/" are one origin.
QString originOf(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    const int defaultPort = scheme == u"https" ? 443 : scheme == u"http" ? 80 : -1;
    return scheme + QStringLiteral("://") + url.host(QUrl::FullyEncoded).toLower() + u':' +
           QString::number(url.port(defaultPort));
}

// What the browser shows itself; anything else that it does not know would go to the desktop.
bool isWebScheme(const QString &scheme)
{
    static const QStringList webSchemes = {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("about"),
                                           QStringLiteral("data"),  QStringLiteral("blob"),  QStringLiteral("file")};
    return webSchemes.contains(scheme.toLower());
}

} // namespace

KioskPage::KioskPage(QWebEngineProfile &profile, PrintLinkLauncher launcher, MostradorLogSwitches logSwitches,
                     QObject *parent)
    : QWebEnginePage(&profile, parent),
      m_launcher(std::move(launcher)),
      m_logSwitches(logSwitches),
      m_bridge([this](const QString &text, PrintLinkBridge::Source source) { handOver(text, source); })
{
    m_channel.registerObject(QStringLiteral("enlaces"), &m_bridge);
    setWebChannel(&m_channel, kWatcherWorld);
    scripts().insert(watcher(QStringLiteral("enlaces-zvr"), mainFrameWatcherSource(), false));
    scripts().insert(watcher(QStringLiteral("enlaces-zvr-marcos"),
                             QString::fromUtf8(kLinkText) + QString::fromUtf8(kFrameWatcher), true));
    // A link the application opens from a script, after a server's answer say, comes with no
    // click: it must reach acceptNavigationRequest all the same.
    settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::AllowAllUnknownUrlSchemes);
    // Where the login's redirects took the page is the application's other origin.
    connect(this, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (!m_followingLogin || info.status() == QWebEngineLoadingInfo::LoadStartedStatus ||
            info.url().scheme() == u"about")
            return;
        m_followingLogin = false;
        m_trustedOrigins << originOf(info.url());
    });
}

KioskPage::~KioskPage()
{
    // The channel goes before the page does.
    setWebChannel(nullptr, kWatcherWorld);
}

void KioskPage::trustPrintLinksFrom(const QUrl &url)
{
    m_trustedOrigins = QStringList{originOf(url)};
    m_followingLogin = true;
}

bool KioskPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (printlink::isPrintLink(url)) {
        // The page's own navigation, a script's: the main frame's clicks never get here (the
        // watcher takes them), nor do the links of frames; a frame's script does.
        handOver(printlink::textOf(url), isMainFrame ? Source::PagesScript : Source::OtherFrame);
        return false;
    }
    // The policy above would let every other scheme start a program of the desktop (mail, a
    // terminal, anything installed): a kiosk starts none, whatever the page or the clerk does.
    if (!isWebScheme(url.scheme())) {
        logFailure(QStringLiteral("Enlace rechazado, el kiosco no abre otros programas: "), url.toString(QUrl::FullyEncoded));
        return false;
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

bool KioskPage::showsTheApplication() const
{
    return m_trustedOrigins.contains(originOf(url()));
}

void KioskPage::handOver(const QString &text, Source source)
{
    if (!printlink::isPrintLink(text))
        return;
    if (source == Source::OtherFrame || (source == Source::PagesScript && !showsTheApplication())) {
        logFailure(QStringLiteral("Enlace ZVR rechazado, no viene de la aplicacion Web: "), text);
        return;
    }
    m_logSwitches.logGeneral(QStringLiteral("Enlace ZVR entregado al escritorio: ") + logText(text));
    if (!m_launcher || !m_launcher(text))
        logFailure(QStringLiteral("ERROR: el escritorio no abrio el enlace ZVR: "), text);
}

void KioskPage::logFailure(const QString &reason, const QString &text) const
{
    // Whatever the switches say: a ticket that did not print must be explainable.
    escribirLog(reason + logText(text));
}
