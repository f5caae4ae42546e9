#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>
#include <QWindow>
#include <cstdio>

// Prints "ready <ms>" on standard output once `window` is on screen and `view` has finished
// loading "about:blank": the moment a benchmark or a test waits for. Used the same way by
// Mostrador's test build and by the bare browser program it is compared with.
class ReadinessWatcher : public QObject {
public:
    ReadinessWatcher(QWidget &window, QWebEngineView &view) : QObject(&window), m_window(window)
    {
        m_clock.start();
        connect(&view, &QWebEngineView::loadFinished, this, [this, &view](bool ok) {
            if (ok && view.url() == QUrl(QStringLiteral("about:blank")))
                m_blankLoaded = true;
        });
        connect(&m_poll, &QTimer::timeout, this, [this] { check(); });
        m_poll.start(5);
    }

private:
    void check()
    {
        const QWindow *handle = m_window.windowHandle();
        if (!m_blankLoaded || !handle || !handle->isExposed())
            return;
        m_poll.stop();
        std::printf("ready %lld\n", static_cast<long long>(m_clock.elapsed()));
        std::fflush(stdout);
    }

    QWidget &m_window;
    QTimer m_poll;
    QElapsedTimer m_clock;
    bool m_blankLoaded = false;
};
