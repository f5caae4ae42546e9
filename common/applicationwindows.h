#pragma once

// The running program's windows, as seen by code that waits on the outside world: it keeps
// them repainting and can bring them to the front.
class ApplicationWindows {
public:
    virtual ~ApplicationWindows() = default;
    virtual void processEvents() = 0;
    // Restores the main window when minimised, else makes it the foreground window.
    virtual void bringToFront() = 0;
};
