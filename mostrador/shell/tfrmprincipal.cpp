#include "tfrmprincipal.h"

#include "browsercontrol.h"
#include "desktoplauncher.h"
#include "paths.h"
#include "windowingsystem.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

TFrmPrincipal::TFrmPrincipal(QWebEngineProfile &profile, MostradorLogSwitches logSwitches)
    : m_placesItself(platform::programPlacesWindows(QGuiApplication::platformName())),
      m_downloadWindows(*this),
      m_downloads(profile, m_downloadWindows, platform::openWithAssociatedProgram, platform::userTemporaryDirectory)
{
    // Created once every member exists: adding it already sends the window events.
    // The desktop knows which program prints: the kiosk only names the scheme.
    WebBrowser1 = new BrowserControl(profile, platform::openWithSchemeHandler, logSwitches, this);
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
    if (!m_placesItself) {
        // A kiosk compositor fills its output with the window, whatever size it asks for.
        setMinimumSize(geometry.minimum);
        return;
    }
    m_outer = geometry;
    fitInsideFrame();
}

void TFrmPrincipal::fitInsideFrame()
{
    m_frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const WindowGeometry client = clientGeometry(*m_outer, m_frame);
    setMinimumSize(client.minimum);
    setMaximumSize(client.maximum);
    resize(client.size);
    move(client.position); // a window's position is its frame's corner
}

bool TFrmPrincipal::event(QEvent *event)
{
    // The window manager moves the client area into its frame once it has drawn one; a user's
    // own moves and resizes leave the frame as it was and keep their result.
    const QEvent::Type type = event->type();
    if ((type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show) && m_outer && windowHandle() &&
        windowHandle()->frameMargins() != m_frame)
        fitInsideFrame();
    return QWidget::event(event);
}

void TFrmPrincipal::setCaption(const QString &caption)
{
    setWindowTitle(caption);
}
