#include "mainframenavigations.h"

namespace {

// Far longer than the browser takes from the watcher's report to its question, far shorter than
// a page takes to make another navigation to the same link look like the same one.
constexpr qint64 kKeptMs = 3000;

} // namespace

void MainFrameNavigations::add(const QVariantList &reported)
{
    m_seen.removeIf([](const Seen &seen) { return seen.age.hasExpired(kKeptMs); });
    for (const QVariant &entry : reported) {
        const QVariantMap fields = entry.toMap();
        Seen seen{QUrl(fields.value(QStringLiteral("url")).toString()), fields.value(QStringLiteral("mismoClic")).toBool(),
                  {}};
        seen.age.start();
        m_seen << seen;
    }
}

MainFrameNavigations::Started MainFrameNavigations::take(const QUrl &url)
{
    for (qsizetype i = 0; i < m_seen.size(); ++i) {
        if (m_seen[i].url != url || m_seen[i].age.hasExpired(kKeptMs))
            continue;
        const bool followsAClick = m_seen.takeAt(i).followsAClick;
        return followsAClick ? Started::ByAClick : Started::ByTheDocument;
    }
    return Started::Elsewhere;
}
