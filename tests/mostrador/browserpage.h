#pragma once

#include <QTest>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>
#include <optional>

// Loads `url` into `view` and waits until it is there.
inline bool loadAndWait(QWebEngineView &view, const QUrl &url)
{
    bool finished = false;
    bool ok = false;
    const QMetaObject::Connection connection = QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool result) {
        finished = true;
        ok = result;
    });
    view.load(url);
    const bool arrived = QTest::qWaitFor([&] { return finished; }, 30000);
    QObject::disconnect(connection);
    return arrived && ok;
}

// Runs `script` in the page and returns its value.
inline QVariant runScript(QWebEngineView &view, const QString &script)
{
    // The answer may come after a timed-out wait: it must not reach into this frame then.
    const auto answer = std::make_shared<std::optional<QVariant>>();
    view.page()->runJavaScript(script, [answer](const QVariant &value) { *answer = value; });
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, 10000))
        return {};
    return **answer;
}
