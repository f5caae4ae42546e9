#pragma once

#include "mostradorlogswitches.h"

#include <QString>

class ApplicationWindows;
class MainFrame;
class MainWindowControls;
class MessageBoxes;
class StartupOperations;
struct MostradorState;

// The main window's creation handler: everything Mostrador does before its window is first
// shown, from the installation directory to the web login.
class StartupSequence {
public:
    enum class Outcome {
        ShowWindow, // the sequence ended, with or without a login
        EndProgram, // no credentials: the window is never shown
    };

    // `dirApp`: the directory of the running executable, ending in "/".
    StartupSequence(QString dirApp, MostradorState &state, StartupOperations &operations, MainWindowControls &window,
                    MainFrame &frame, MessageBoxes &messageBoxes, ApplicationWindows *windows,
                    MostradorLogSwitches logSwitches = kMostradorLogSwitches);

    // An error escaping a step ends the sequence: its text is shown in a message box and the
    // window is shown without a login.
    Outcome run();

    static QString caption();

private:
    Outcome runSteps();
    void comprobarVersion();
    bool leerCredenciales(int tipoConexion);
    void logGeneral(const QString &message) const;
    void logMilestone(const QString &message) const;

    QString m_dirApp;
    MostradorState &m_state;
    StartupOperations &m_operations;
    MainWindowControls &m_window;
    MainFrame &m_frame;
    MessageBoxes &m_messageBoxes;
    ApplicationWindows *m_windows;
    MostradorLogSwitches m_logSwitches;
};
