#pragma once

#include "mainframenavigations.h"
#include "mostradorlogswitches.h"
#include "printlinkbridge.h"

#include <QWebChannel>
#include <QWebEnginePage>
#include <functional>
#include <memory>

class QWebEngineNewWindowRequest;

// The kiosk's page: the sales application's "ZVR:" links go to the desktop's handler for the
// scheme with the text the page wrote. A clerk's click on such a link in the main frame prints;
// a link opened any other way prints only when the main document opened it while it shows a page
// of the application (the login URL's origin, or the one its redirects ended at on a page). A
// frame of another origin never prints. No other scheme leaves the browser, and no second window
// opens.
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

    void askWhoStarted(const QUrl &url);
    void openNewWindow(QWebEngineNewWindowRequest &request);
    void handOver(const QString &text, Source source);
    bool showsTheApplication() const;
    void logFailure(const QString &reason, const QString &text) const;

    PrintLinkLauncher m_launcher;
    MostradorLogSwitches m_logSwitches;
    QStringList m_trustedOrigins;
    bool m_followingLogin = false;
    MainFrameNavigations m_navigations;
    PrintLinkBridge m_bridge;
    QWebChannel m_channel;
    // The browser's answers to the page's questions may come after the page is gone.
    std::shared_ptr<int> m_alive = std::make_shared<int>();
};
