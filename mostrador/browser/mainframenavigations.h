#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QUrl>
#include <QVariant>

// The print links that the main document itself navigated to, as its watcher saw them: the
// browser tells that watcher of a navigation only when a document of the main document's origin
// started it. The browser asks whether to follow a link after the watcher saw it, but the two
// answers of two links at once may come in either order, so what one answer brings waits a
// moment for the other link.
class MainFrameNavigations {
public:
    enum class Started {
        Elsewhere,    // by a frame of another origin, or by nothing the main document saw
        ByTheDocument, // by the main document's script or link
        ByAClick,     // by a script that followed a click already handed over: the same job
    };

    // What the watcher reported: a list of {url, mismoClic}.
    void add(const QVariantList &reported);
    // Who started the navigation to `url`; each report answers one navigation.
    Started take(const QUrl &url);

private:
    struct Seen {
        QUrl url;
        bool followsAClick = false;
        QElapsedTimer age;
    };
    QList<Seen> m_seen;
};
