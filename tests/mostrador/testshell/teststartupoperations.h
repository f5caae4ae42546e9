#pragma once

#include "startupoperations.h"

// Start-up operations of Mostrador's test build: stored credentials are "found" and the web
// login loads the page named by MOSTRADOR_TEST_URL (nothing when unset), so the tests can
// show a page of their own in the real kiosk window.
class TestStartupOperations : public StartupOperations {
public:
    bool comprobarActualizaciones() override;
    int consultarTipoConexion() override;
    QString nombreTipoConexion(int tipoConexion) override;
    void lanzarHiloIp() override;
    bool consultarDatosUsuario(MostradorState &state) override;
    bool guardarInformacionUsuario(int tipoConexion, MostradorState &state) override;
    void conectarAplicacionWeb(int tipoConexion, MostradorState &state, MainFrame &frame) override;
};
