#include "windowgeometry.h"

#include <algorithm>

WindowGeometry geometriaVentanaPrincipal(QSize monitor)
{
    WindowGeometry g;
    g.minimum = QSize(1024, 777);
    g.maximum = monitor;
    // A maximum below the minimum lowers the minimum, so a small monitor is filled.
    g.minimum = g.minimum.boundedTo(g.maximum);
    g.size = QSize(std::clamp(1024, g.minimum.width(), g.maximum.width()),
                   std::clamp(777, g.minimum.height(), g.maximum.height()));
    // Integer division truncates toward zero, as the window's own arithmetic did.
    g.position = QPoint((monitor.width() - g.size.width()) / 2, (monitor.height() - g.size.height()) / 2);
    return g;
}

WindowGeometry clientGeometry(const WindowGeometry &outer, const QMargins &frame)
{
    const QSize border(frame.left() + frame.right(), frame.top() + frame.bottom());
    WindowGeometry client = outer;
    client.size = (outer.size - border).expandedTo(QSize(0, 0));
    client.minimum = (outer.minimum - border).expandedTo(QSize(0, 0));
    client.maximum = (outer.maximum - border).expandedTo(QSize(0, 0));
    return client;
}
