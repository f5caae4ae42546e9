#include "mostradorprogram.h"
#include "mostradorstartupoperations.h"

int main(int argc, char **argv)
{
    MostradorProgram program;
    program.makeOperations = [](const StartupContext &context) {
        return std::make_unique<MostradorStartupOperations>(context);
    };
    return program.run(argc, argv);
}
