#pragma once

#include "startupoperations.h"

// The start-up operations of this build: none of them exists yet, and each one raises
// MissingOperationError rather than pretend to succeed.
class PendingStartupOperations : public StartupOperations {
public:
    bool comprobarActualizaciones() override;
    int consultarTipoConexion() override;
    QString nombreTipoConexion(int tipoConexion) override;
    void lanzarHiloIp() override;
    bool consultarDatosUsuario(MostradorState &state) override;
    bool guardarInformacionUsuario(int tipoConexion, MostradorState &state) override;
    void conectarAplicacionWeb(int tipoConexion, MostradorState &state, MainFrame &frame) override;
};
