// bench_login's build of Mostrador: the program's own entry, window and start-up operations, with
// its log switches off as in the product; only the web login says when it has handed over.
#include "handovertimingoperations.h"
#include "mostradorprogram.h"

int main(int argc, char **argv)
{
    MostradorProgram program;
    program.makeOperations = [](const StartupContext &context) {
        return std::make_unique<HandOverTimingOperations>(context);
    };
    return program.run(argc, argv);
}
