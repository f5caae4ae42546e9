// Mostrador as the terminal runs it, with both log switches on: the end-to-end sale reads its log.
#include "mostradorprogram.h"
#include "mostradorstartupoperations.h"

int main(int argc, char **argv)
{
    MostradorProgram program;
    program.makeOperations = [](const StartupContext &context) {
        return std::make_unique<MostradorStartupOperations>(context);
    };
    program.logSwitches = {true, true};
    return program.run(argc, argv);
}
