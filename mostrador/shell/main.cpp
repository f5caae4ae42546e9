#include "mostradorprogram.h"
#include "pendingstartupoperations.h"

int main(int argc, char **argv)
{
    MostradorProgram program;
    program.makeOperations = [] { return std::make_unique<PendingStartupOperations>(); };
    return program.run(argc, argv);
}
