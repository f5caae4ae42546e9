// Looks for the stored credentials in the registry hive of argv[1], with both log switches on,
// for tests that run it as another user: prints "found USER PASSWORD" or "missing"; exit code 3
// and the error text when the lookup raised.
#include "consultardatosusuario.h"
#include "mostradorstate.h"
#include "zelvoraerror.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    MostradorState state;
    try {
        if (consultarDatosUsuario(state, QString::fromLocal8Bit(argv[1]), {true, true}))
            std::printf("found %s %s\n", qPrintable(state.Usuario), qPrintable(state.Contrasenya));
        else
            std::printf("missing\n");
    } catch (const ZelvoraError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 3;
    }
    return 0;
}
