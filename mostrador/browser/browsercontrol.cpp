#include "browsercontrol.h"

#include <QWebEngineHttpRequest>
#include <QWebEnginePage>

BrowserControl::BrowserControl(QWebEngineProfile &profile, KioskPage::PrintLinkLauncher launcher,
                               MostradorLogSwitches logSwitches, QWidget *parent)
    : QWebEngineView(parent)
{
    // The page is a child of the control, so it goes before the profile does.
    setPage(new KioskPage(profile, std::move(launcher), logSwitches, this));
    load(QUrl(QStringLiteral("about:blank")));
}

void BrowserControl::loadRequest(const QWebEngineHttpRequest &request)
{
    static_cast<KioskPage *>(page())->trustPrintLinksFrom(request.url());
    page()->load(request);
}
