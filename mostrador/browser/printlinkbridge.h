#pragma once

#include <QObject>
#include <functional>

// The object through which the page's link watcher hands over a print link's text, and how the
// link was followed.
class PrintLinkBridge : public QObject {
    Q_OBJECT
public:
    enum class Source {
        ClerksClick, // a person's click (or key) on a link of the main frame
        PagesScript, // a script of the main frame: its click(), or a navigation it started
        OtherFrame,  // a link or a script of a frame inside the page, or a new window
    };
    using Receiver = std::function<void(const QString &text, Source source)>;

    explicit PrintLinkBridge(Receiver receiver, QObject *parent = nullptr);

    // A click on a link of the main frame; `byUser`: a person's, not a script's click().
    Q_INVOKABLE void abrir(const QString &text, bool byUser);

private:
    Receiver m_receiver;
};
