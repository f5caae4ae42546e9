#pragma once

#include "mostradorlogswitches.h"
#include "printlinkbridge.h"

#include <QWebChannel>
#include <QWebEnginePage>
#include <functional>

// The kiosk's page: the sales application's "ZVR:" links go to the desktop's handler for the
// scheme with the text the page wrote. A clerk's click on such a link in the main frame prints;
// a link opened any other way prints only while the main frame shows a page of the application
// (the login URL's origin, or the one its redirects ended at). No other scheme leaves the browser.
class KioskPage : public QWebEnginePage {
public:
    // Hands a print link to the desktop; false when nothing could be started.
    using PrintLinkLauncher = std::function<bool(const QString &url)>;

    KioskPage(QWebEngineProfile &profile, PrintLinkLauncher launcher, MostradorLogSwitches logSwitches,
              QObject *parent = nullptr);
    ~KioskPage() override;

    // The web application is what the login at `url` loads, after the server's redirects.
    void trustPrintLinksFrom(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    using Source = PrintLinkBridge::Source;

    void handOver(const QString &text, Source source);
    bool showsTheApplication() const;
    void logFailure(const QString &reason, const QString &text) const;

    PrintLinkLauncher m_launcher;
    MostradorLogSwitches m_logSwitches;
    QStringList m_trustedOrigins;
    bool m_followingLogin = false;
    PrintLinkBridge m_bridge;
    QWebChannel m_channel;
};
