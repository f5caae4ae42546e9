#pragma once

#include "mostradorlogswitches.h"

#include <functional>
#include <memory>

class StartupOperations;
class TFrmPrincipal;
struct StartupContext;

// Mostrador's process entry, shared by the program and its test build.
struct MostradorProgram {
    std::function<std::unique_ptr<StartupOperations>(const StartupContext &)> makeOperations;
    MostradorLogSwitches logSwitches = kMostradorLogSwitches;
    // Called once the main window and its browser exist, before the start-up sequence; the
    // program leaves it empty, the test build watches the window through it.
    std::function<void(TFrmPrincipal &)> windowCreated;

    int run(int argc, char **argv) const;

private:
    int runKiosk(int argc, char **argv) const;
};
