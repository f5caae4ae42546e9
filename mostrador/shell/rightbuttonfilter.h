#pragma once

#include <QObject>

// Application-wide filter that drops right-button presses, releases and double clicks in the
// client area of every window of the program, the browser's page included, so no context
// menu opens from the mouse. Window frames belong to the window manager and are not touched.
class RightButtonFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
