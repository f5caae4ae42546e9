#pragma once

class ApplicationWindows;
class MessageBoxes;
class ReportRoute;

// Everything of Ticketera that needs the windowing libraries. A normal run never uses it, so
// the program loads it only when a box, the main window or the report route is needed.
class TicketeraUi {
public:
    virtual ~TicketeraUi() = default;

    virtual MessageBoxes &messageBoxes() = 0;
    // The program's windows while they exist, else null.
    virtual ApplicationWindows *windows() = 0;
    // Shows the main window and returns when the user has closed it.
    virtual void runMainWindow() = 0;
    // The report route, or null where this build has none.
    virtual ReportRoute *reportRoute() = 0;
};
