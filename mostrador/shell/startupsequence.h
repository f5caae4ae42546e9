#pragma once

#include "mostradorlogswitches.h"

#include <QString>

class MainFrame;
class MainWindowControls;
class StartupOperations;
struct MostradorState;
struct StartupContext;

// The main window's creation handler: everything Mostrador does before its window is first
// shown, from the installation directory to the web login.
class StartupSequence {
public:
    enum class Outcome {
        ShowWindow, // the sequence ended, with or without a login
        EndProgram, // no credentials: the window is never shown
    };

    StartupSequence(const StartupContext &context, MostradorState &state, StartupOperations &operations,
                    MainWindowControls &window, MainFrame &frame);

    // An error escaping a step ends the sequence: its text is shown in a message box and the
    // window is shown without a login.
    Outcome run();

private:
    Outcome runSteps();
    void comprobarVersion();
    bool leerCredenciales(int tipoConexion);

    const StartupContext &m_context;
    const MostradorLogSwitches &m_log;
    MostradorState &m_state;
    StartupOperations &m_operations;
    MainWindowControls &m_window;
    MainFrame &m_frame;
};
