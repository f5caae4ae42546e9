// Mostrador's test build: the program's own entry, runtime, window and start-up sequence, with
// both log switches on, the test operations, and a line on standard output when it is ready.
#include "browsercontrol.h"
#include "mostradorprogram.h"
#include "readinesswatcher.h"
#include "teststartupoperations.h"
#include "tfrmprincipal.h"

int main(int argc, char **argv)
{
    MostradorProgram program;
    program.makeOperations = [](const StartupContext &context) {
        return std::make_unique<TestStartupOperations>(context);
    };
    program.logSwitches = {true, true};
    program.windowCreated = [](TFrmPrincipal &form) { new ReadinessWatcher(form, *form.WebBrowser1); };
    return program.run(argc, argv);
}
