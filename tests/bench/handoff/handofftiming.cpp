// bench_handoff's build of Mostrador: the program's own entry, window and start-up operations,
// with its log switches off as in the product; its page says when a print link went where.
#include "handofftimingoperations.h"
#include "mostradorprogram.h"

int main(int argc, char **argv)
{
    MostradorProgram program;
    program.makeOperations = [](const StartupContext &context) {
        return std::make_unique<HandOffTimingOperations>(context);
    };
    return program.run(argc, argv);
}
