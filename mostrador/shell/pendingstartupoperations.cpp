#include "pendingstartupoperations.h"

#include "missingoperationerror.h"

bool PendingStartupOperations::comprobarActualizaciones()
{
    throw MissingOperationError(QStringLiteral("comprobarActualizaciones"));
}

int PendingStartupOperations::consultarTipoConexion()
{
    throw MissingOperationError(QStringLiteral("consultarTipoConexion"));
}

QString PendingStartupOperations::nombreTipoConexion(int)
{
    throw MissingOperationError(QStringLiteral("nombreTipoConexion"));
}

void PendingStartupOperations::lanzarHiloIp()
{
    throw MissingOperationError(QStringLiteral("lanzarHiloIp"));
}

bool PendingStartupOperations::consultarDatosUsuario(MostradorState &)
{
    throw MissingOperationError(QStringLiteral("consultarDatosUsuario"));
}

bool PendingStartupOperations::guardarInformacionUsuario(int, MostradorState &)
{
    throw MissingOperationError(QStringLiteral("guardarInformacionUsuario"));
}

void PendingStartupOperations::conectarAplicacionWeb(int, MostradorState &, MainFrame &)
{
    throw MissingOperationError(QStringLiteral("conectarAplicacionWeb"));
}
