#include "backspacefilter.h"

#include <QKeyEvent>
#include <QWidget>

BackspaceFilter::BackspaceFilter(QWidget &browser) : m_browser(browser)
{
    // Keys go to the widget that renders the page, which the browser replaces when the page
    // moves to another renderer: every child is watched as it arrives.
    browser.installEventFilter(this);
    for (QObject *child : browser.children())
        child->installEventFilter(this);
}

bool BackspaceFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (watched == &m_browser)
            static_cast<QChildEvent *>(event)->child()->installEventFilter(this);
        return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // The page enables input methods exactly while an editable field has the focus.
        return static_cast<QKeyEvent *>(event)->key() == Qt::Key_Backspace && watched->isWidgetType() &&
               !static_cast<QWidget *>(watched)->inputMethodQuery(Qt::ImEnabled).toBool();
    default:
        return false;
    }
}
