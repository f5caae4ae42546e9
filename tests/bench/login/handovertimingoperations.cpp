#include "handovertimingoperations.h"

#include <cstdio>

void HandOverTimingOperations::conectarAplicacionWeb(int tipoConexion, MostradorState &state, MainFrame &frame)
{
    MostradorStartupOperations::conectarAplicacionWeb(tipoConexion, state, frame);
    std::puts("handed");
    std::fflush(stdout);
}
