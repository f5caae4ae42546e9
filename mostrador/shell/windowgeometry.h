#pragma once

#include <QMargins>
#include <QPoint>
#include <QSize>

// Size, limits and position of the main window on a monitor: the outer window, frame included.
struct WindowGeometry {
    QSize size;
    QSize minimum;
    QSize maximum;
    QPoint position; // screen coordinates, the monitor's origin not added
};

// 1024 x 777, no smaller and no larger than the monitor, centred on it.
WindowGeometry geometriaVentanaPrincipal(QSize monitor);

// The same window's client area inside `frame`, the border a window manager draws (none: the
// same numbers). The position stays the outer corner, where the frame starts.
WindowGeometry clientGeometry(const WindowGeometry &outer, const QMargins &frame);
