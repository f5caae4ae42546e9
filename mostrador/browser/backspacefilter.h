#pragma once

#include <QObject>

class QWidget;

// The browser's key filter: Backspace is swallowed before the page sees it unless an editable
// field of the page has the focus, where it deletes a character. The page's own key listeners
// never receive such a Backspace.
class BackspaceFilter : public QObject {
public:
    explicit BackspaceFilter(QWidget &browser);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_browser;
};
