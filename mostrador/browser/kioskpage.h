#pragma once

#include "mostradorlogswitches.h"
#include "printlinkbridge.h"

#include <QWebChannel>
#include <QWebEnginePage>
#include <functional>

// The kiosk's page: the sales application's "ZVR:" links go to the desktop's handler for the
// scheme with the text the page wrote, from the application's own origin in the main frame only.
class KioskPage : public QWebEnginePage {
public:
    // Hands a print link to the desktop; false when nothing could be started.
    using PrintLinkLauncher = std::function<bool(const QString &url)>;

    KioskPage(QWebEngineProfile &profile, PrintLinkLauncher launcher, MostradorLogSwitches logSwitches,
              QObject *parent = nullptr);
    ~KioskPage() override;

    // The web application's origin is that of the page its login loads.
    void trustPrintLinksFrom(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    void handOver(const QString &text, bool fromMainFrame);

    PrintLinkLauncher m_launcher;
    MostradorLogSwitches m_logSwitches;
    QUrl m_trustedOrigin;
    PrintLinkBridge m_bridge;
    QWebChannel m_channel;
};
