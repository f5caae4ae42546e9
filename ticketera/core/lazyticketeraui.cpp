#include "lazyticketeraui.h"

#include "sharedmodule.h"
#include "windowingsystem.h"

#include <cstdio>
#include <cstdlib>

LazyTicketeraUi::LazyTicketeraUi(int &argc, char **argv) : m_argc(argc), m_argv(argv) {}

LazyTicketeraUi::~LazyTicketeraUi()
{
    m_ui.reset(); // its code lives in the module
}

bool LazyTicketeraUi::hasDisplay()
{
    // Asked only when a window is needed: a normal port run never pays for the question.
    if (!m_hasDisplay)
        m_hasDisplay = platform::windowingSystemAvailable();
    return *m_hasDisplay;
}

TicketeraUi &LazyTicketeraUi::loaded()
{
    if (!m_ui) {
        int *argc = &m_argc;
        char **argv = m_argv;
        if (!hasDisplay()) {
            // Qt would end the process on a display it cannot open; painting needs none.
            static char platformOption[] = "-platform";
            static char offscreen[] = "offscreen";
            m_offscreenArgv.assign(m_argv, m_argv + m_argc);
            m_offscreenArgv.insert(m_offscreenArgv.begin() + (m_argc > 0 ? 1 : 0), {platformOption, offscreen});
            m_offscreenArgc = static_cast<int>(m_offscreenArgv.size());
            m_offscreenArgv.push_back(nullptr);
            argc = &m_offscreenArgc;
            argv = m_offscreenArgv.data();
        }
        m_module = std::make_unique<platform::SharedModule>(QStringLiteral("libticketera-gui.so"));
        using Factory = TicketeraUi *(*)(int &, char **);
        const auto factory = reinterpret_cast<Factory>(m_module->resolve("ticketera_create_ui"));
        if (!factory) {
            // Without its windows the program cannot tell the user anything: say it where it can.
            std::fprintf(stderr, "Ticketera: %s\n", qPrintable(m_module->errorString()));
            std::exit(0);
        }
        m_ui.reset(factory(*argc, argv));
    }
    return *m_ui;
}

MessageBoxes &LazyTicketeraUi::messageBoxes()
{
    if (!hasDisplay())
        return m_loggedBoxes;
    return loaded().messageBoxes();
}

ApplicationWindows *LazyTicketeraUi::windows()
{
    return m_ui ? m_ui->windows() : nullptr;
}

void LazyTicketeraUi::runMainWindow()
{
    // Nobody could see the window, nor close it: the run ends.
    if (hasDisplay())
        loaded().runMainWindow();
}

ReportRoute *LazyTicketeraUi::reportRoute()
{
    return loaded().reportRoute();
}
