#pragma once

#include "ticketeraui.h"

#include <memory>

namespace platform {
class SharedModule;
}

// TicketeraUi that loads the windowing module on the first call that needs it.
class LazyTicketeraUi : public TicketeraUi {
public:
    LazyTicketeraUi(int &argc, char **argv);
    ~LazyTicketeraUi() override;

    MessageBoxes &messageBoxes() override;
    ApplicationWindows *windows() override;
    void runMainWindow() override;
    ReportRoute *reportRoute() override;

private:
    TicketeraUi &loaded();

    int &m_argc;
    char **m_argv;
    std::unique_ptr<platform::SharedModule> m_module;
    std::unique_ptr<TicketeraUi> m_ui;
};
