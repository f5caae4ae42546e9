#pragma once

#include "loggedmessageboxes.h"
#include "ticketeraui.h"

#include <memory>
#include <optional>
#include <vector>

namespace platform {
class SharedModule;
}

// TicketeraUi that loads the windowing module on the first call that needs it. Without a
// display the boxes go to the log, no window is shown, and the report route paints off-screen.
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
    bool hasDisplay();

    int &m_argc;
    char **m_argv;
    std::optional<bool> m_hasDisplay;
    LoggedMessageBoxes m_loggedBoxes;
    // The arguments the module's application object gets when it paints off-screen.
    std::vector<char *> m_offscreenArgv;
    int m_offscreenArgc = 0;
    std::unique_ptr<platform::SharedModule> m_module;
    std::unique_ptr<TicketeraUi> m_ui;
};
