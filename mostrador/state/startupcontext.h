#pragma once

#include "mostradorlogswitches.h"

#include <QString>

class ApplicationWindows;
class HttpClient;
class MessageBoxes;

// What the start-up operations are given by the program when they are made: everything
// they touch that only the running program holds.
struct StartupContext {
    QString dirApp;                   // installation directory, ending in "/"
    MostradorLogSwitches logSwitches; // every line of the start-up follows one of them
    MessageBoxes &messageBoxes;
    ApplicationWindows *windows;      // kept responsive while the start-up waits; may be null
    HttpClient &IdHTTP1;              // the main window's client, for the probe and the enrolment
};
