#include "tfrmprincipal.h"

#include "browsercontrol.h"
#include "desktoplauncher.h"
#include "paths.h"
#include "windowgeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

TFrmPrincipal::TFrmPrincipal(QWebEngineProfile &profile)
    : WebBrowser1(new BrowserControl(profile, this)), m_keyFilter(*WebBrowser1), m_downloadWindows(*this),
      m_downloads(profile, m_downloadWindows, platform::openWithAssociatedProgram, platform::userTemporaryDirectory)
{
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    // The browser fills the client area and follows the window's moves and size changes.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(WebBrowser1);
    resize(1008, 738);
}

StartupSequence::Outcome TFrmPrincipal::FormCreate(const QString &dirApp, StartupOperations &operations,
                                                   MessageBoxes &messageBoxes, ApplicationWindows *windows,
                                                   MostradorLogSwitches logSwitches)
{
    return StartupSequence(dirApp, state, operations, *this, *WebBrowser1, messageBoxes, windows, logSwitches).run();
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
