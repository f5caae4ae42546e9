#pragma once

#include <QPoint>
#include <QSize>

// Size, limits and position of the main window on a monitor.
struct WindowGeometry {
    QSize size;
    QSize minimum;
    QSize maximum;
    QPoint position; // screen coordinates, the monitor's origin not added
};

// 1024 x 777, no smaller and no larger than the monitor, centred on it.
WindowGeometry geometriaVentanaPrincipal(QSize monitor);
