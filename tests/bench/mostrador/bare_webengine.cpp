// The yardstick of Mostrador's benchmark: a bare QWebEngineView on "about:blank" in a window of
// the kiosk's size, with the same Chromium switches as the kiosk (the sandbox off only as root).
#include "readinesswatcher.h"

#include <QApplication>
#include <QWebEngineView>
#include <unistd.h>

int main(int argc, char **argv)
{
    QByteArray flags = "--ignore-certificate-errors --disable-logging --log-level=3"
                       " --disable-background-networking --disable-component-update";
    if (geteuid() == 0)
        flags += " --no-sandbox";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    QApplication application(argc, argv);
    QWebEngineView view;
    new ReadinessWatcher(view, view);
    view.load(QUrl(QStringLiteral("about:blank")));
    view.resize(1024, 777);
    view.show();
    return application.exec();
}
