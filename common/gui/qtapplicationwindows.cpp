#include "qtapplicationwindows.h"

#include <QGuiApplication>
#include <QWindow>

void QtApplicationWindows::processEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

void QtApplicationWindows::bringToFront()
{
    QWindow *window = QGuiApplication::focusWindow();
    if (!window) {
        const auto windows = QGuiApplication::topLevelWindows();
        for (QWindow *candidate : windows) {
            if (candidate->isVisible()) {
                window = candidate;
                break;
            }
        }
    }
    if (!window)
        return;
    if (window->windowStates() & Qt::WindowMinimized) {
        window->showNormal();
        return;
    }
    window->raise();
    window->requestActivate();
}
