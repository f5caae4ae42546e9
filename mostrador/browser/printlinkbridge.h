#pragma once

#include <QObject>
#include <functional>

// The object through which the page's click watcher hands over a print link's text.
class PrintLinkBridge : public QObject {
    Q_OBJECT
public:
    explicit PrintLinkBridge(std::function<void(const QString &text)> receiver, QObject *parent = nullptr);

    Q_INVOKABLE void abrir(const QString &text);

private:
    std::function<void(const QString &)> m_receiver;
};
