#include "browsercontrol.h"

#include <QWebEngineHttpRequest>
#include <QWebEnginePage>

BrowserControl::BrowserControl(QWebEngineProfile &profile, QWidget *parent) : QWebEngineView(parent)
{
    // The page is a child of the control, so it goes before the profile does.
    setPage(new QWebEnginePage(&profile, this));
    load(QUrl(QStringLiteral("about:blank")));
}

void BrowserControl::loadRequest(const QWebEngineHttpRequest &request)
{
    page()->load(request);
}
