#pragma once

#include <QSize>
#include <QString>

struct WindowGeometry;

// What the start-up sequence does to the main window, which is still hidden then.
class MainWindowControls {
public:
    virtual ~MainWindowControls() = default;
    // Size of the first monitor in the system's monitor list.
    virtual QSize firstMonitorSize() const = 0;
    virtual void applyGeometry(const WindowGeometry &geometry) = 0;
    virtual void setCaption(const QString &caption) = 0;
};
