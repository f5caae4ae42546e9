#include "tfrmprincipal.h"

#include "browsercontrol.h"
#include "windowgeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

TFrmPrincipal::TFrmPrincipal(QWebEngineProfile &profile) : WebBrowser1(new BrowserControl(profile, this))
{
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    // The browser fills the client area and follows the window's moves and size changes.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(WebBrowser1);
    resize(1008, 738);
}

StartupSequence::Outcome TFrmPrincipal::FormCreate(const StartupContext &context, StartupOperations &operations)
{
    return StartupSequence(context, state, operations, *this, *WebBrowser1).run();
}

QSize TFrmPrincipal::firstMonitorSize() const
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    return screens.isEmpty() ? QSize(1024, 777) : screens.first()->geometry().size();
}

void TFrmPrincipal::applyGeometry(const WindowGeometry &geometry)
{
    setMinimumSize(geometry.minimum);
    setMaximumSize(geometry.maximum);
    resize(geometry.size);
    move(geometry.position);
}

void TFrmPrincipal::setCaption(const QString &caption)
{
    setWindowTitle(caption);
}
