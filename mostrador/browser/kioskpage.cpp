#include "kioskpage.h"

#include "logtext.h"
#include "printlink.h"

#include <QFile>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

namespace {

// The channel and the watcher live in a world of their own, out of the page's scripts' reach.
// A click on a "ZVR:" link of the main document that the page has not handled itself is answered
// with the href's text, before any URL parser rewrites it; the watcher leaves out only what every
// browser's parser drops (blanks around the text, tabs and line breaks in it). The link is the
// innermost one on the click's path, inside shadow roots and SVG too.
//
// The browser does not say which frame started a navigation of the whole page. It fires
// "navigate" in the main document only for the navigations that a document of its origin starts
// (its scripts, its links, frames of its origin); a frame of another origin, or a frame without a
// URL that one wrote, starts none that it sees. The watcher keeps those to print links for the
// question of acceptNavigationRequest. A script navigation to the link that the clerk's click
// just handed over is that click's job.
const char kLinkText[] = R"(
function zvrLinkText(event) {
    var path = event.composedPath();
    for (var i = 0; i < path.length; ++i) {
        var link = path[i];
        if (link.localName !== 'a' && link.localName !== 'area')
            continue;
        var href = link.getAttribute('href');
        if (href === null)
            href = link.getAttributeNS('http://www.w3.org/1999/xlink', 'href');
        if (href === null)
            return null;
        var text = href.replace(/^[\u0000-\u0020]+|[\u0000-\u0020]+$/g, '').replace(/[\t\n\r]/g, '');
        return /^zvr:/i.test(text) ? text : null;
    }
    return null;
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
    var own = [], clicking = null, handed = null;
    window.zvrNavegacionesPropias = function () { return own.splice(0); };
    navigation.addEventListener('navigate', function (event) {
        var url = event.destination.url;
        if (!/^zvr:/i.test(url))
            return;
        var seen = {url: url, mismoClic: false};
        own.push(seen);
        if (clicking)
            clicking.push(seen);
        else if (handed && handed.url === url && performance.now() - handed.at < 2000) {
            seen.mismoClic = true;
            handed = null;
        }
    });
    window.addEventListener('click', function () {
        clicking = [];
        setTimeout(function () { clicking = null; });
    }, true);
    window.addEventListener('click', function (event) {
        var during = clicking || [];
        clicking = null;
        var text = event.defaultPrevented ? null : zvrLinkText(event);
        if (text === null)
            return;
        event.preventDefault();
        var url;
        try { url = new URL(text).href; } catch (e) { url = text; }
        var same = during.filter(function (seen) { return seen.url === url; })[0];
        if (same)
            same.mismoClic = true;
        else
            handed = {url: url, at: performance.now()};
        var byUser = event.isTrusted;
        send(function (b) { b.abrir(text, byUser); });
    });
})();
)";

// In the page's own world: a print link that the application opens in a new window is a
// navigation of the page, which the watcher sees. Frames of other origins cannot reach it.
const char kWindowOpen[] = R"(
(function () {
    var open = window.open;
    window.open = function (url) {
        if (/^[\u0000-\u0020]*zvr:/i.test(String(url))) {
            location.href = url;
            return null;
        }
        return open.apply(this, arguments);
    };
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

QWebEngineScript mainFrameScript(const QString &name, const QString &source, quint32 world)
{
    QWebEngineScript script;
    script.setName(name);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(world);
    script.setRunsOnSubFrames(false);
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
    scripts().insert(mainFrameScript(QStringLiteral("enlaces-zvr"), mainFrameWatcherSource(), kWatcherWorld));
    scripts().insert(mainFrameScript(QStringLiteral("enlaces-zvr-ventanas"), QString::fromUtf8(kWindowOpen),
                                     QWebEngineScript::MainWorld));
    // A link the application opens from a script, after a server's answer say, comes with no
    // click: it must reach acceptNavigationRequest all the same.
    settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::AllowAllUnknownUrlSchemes);
    // Where the login's redirects took the page is the application's other origin, once a page
    // loaded there: a login that ended otherwise (refused, stopped, no content) leaves only its own.
    connect(this, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (!m_followingLogin || info.status() == QWebEngineLoadingInfo::LoadStartedStatus ||
            info.url().scheme() == u"about")
            return;
        m_followingLogin = false;
        if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
            m_trustedOrigins << originOf(info.url());
    });
    connect(this, &QWebEnginePage::newWindowRequested, this, &KioskPage::openNewWindow);
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
        // The watcher takes the main document's clicks; what gets here is a script's, or a link
        // of a frame. The watcher saw the navigation before the browser asks about it.
        if (isMainFrame)
            askWhoStarted(url);
        else
            handOver(printlink::textOf(url), Source::OtherFrame);
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

void KioskPage::askWhoStarted(const QUrl &url)
{
    runJavaScript(QStringLiteral("typeof zvrNavegacionesPropias === 'function' ? zvrNavegacionesPropias() : []"),
                  kWatcherWorld, [this, alive = std::weak_ptr<int>(m_alive), url](const QVariant &reported) {
                      if (alive.expired())
                          return;
                      m_navigations.add(reported.toList());
                      switch (m_navigations.take(url)) {
                      case MainFrameNavigations::Started::ByTheDocument:
                          handOver(printlink::textOf(url), Source::PagesScript);
                          break;
                      case MainFrameNavigations::Started::ByAClick:
                          m_logSwitches.logGeneral(QStringLiteral("Enlace ZVR del mismo clic, ya entregado: ") +
                                                   logText(printlink::textOf(url)));
                          break;
                      case MainFrameNavigations::Started::Elsewhere:
                          handOver(printlink::textOf(url), Source::OtherFrame);
                          break;
                      }
                  });
}

void KioskPage::openNewWindow(QWebEngineNewWindowRequest &request)
{
    // The application's own print links in a new window became navigations of the page.
    const QUrl url = request.requestedUrl();
    if (printlink::isPrintLink(url)) {
        handOver(printlink::textOf(url), Source::OtherFrame);
        return;
    }
    // The kiosk has one view: a page that the clerk asked for is shown there.
    const QString scheme = url.scheme().toLower();
    if (request.isUserInitiated() && (scheme == u"http" || scheme == u"https")) {
        load(url);
        return;
    }
    logFailure(QStringLiteral("Ventana nueva rechazada, el kiosco tiene una sola vista: "),
               url.toString(QUrl::FullyEncoded));
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
