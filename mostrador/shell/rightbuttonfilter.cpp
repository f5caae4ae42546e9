#include "rightbuttonfilter.h"

#include <QContextMenuEvent>
#include <QMouseEvent>

bool RightButtonFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
            return true;
        break;
    case QEvent::ContextMenu:
        // Qt's own request for a menu after a right click; the keyboard's menu key still works.
        if (static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Mouse)
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
