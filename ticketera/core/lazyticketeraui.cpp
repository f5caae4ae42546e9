#include "lazyticketeraui.h"

#include "sharedmodule.h"

#include <cstdio>
#include <cstdlib>

LazyTicketeraUi::LazyTicketeraUi(int &argc, char **argv) : m_argc(argc), m_argv(argv) {}

LazyTicketeraUi::~LazyTicketeraUi()
{
    m_ui.reset(); // its code lives in the module
}

TicketeraUi &LazyTicketeraUi::loaded()
{
    if (!m_ui) {
        m_module = std::make_unique<platform::SharedModule>(QStringLiteral("libticketera-gui.so"));
        using Factory = TicketeraUi *(*)(int &, char **);
        const auto factory = reinterpret_cast<Factory>(m_module->resolve("ticketera_create_ui"));
        if (!factory) {
            // Without its windows the program cannot tell the user anything: say it where it can.
            std::fprintf(stderr, "Ticketera: %s\n", qPrintable(m_module->errorString()));
            std::exit(0);
        }
        m_ui.reset(factory(m_argc, m_argv));
    }
    return *m_ui;
}

MessageBoxes &LazyTicketeraUi::messageBoxes()
{
    return loaded().messageBoxes();
}

ApplicationWindows *LazyTicketeraUi::windows()
{
    return m_ui ? m_ui->windows() : nullptr;
}

void LazyTicketeraUi::runMainWindow()
{
    loaded().runMainWindow();
}

ReportRoute *LazyTicketeraUi::reportRoute()
{
    return loaded().reportRoute();
}
