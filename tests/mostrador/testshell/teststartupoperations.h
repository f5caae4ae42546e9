#pragma once

#include "mostradorstartupoperations.h"

// Start-up operations of Mostrador's test build: the program's own up to the address refresh
// thread; then stored credentials are "found" and the web login loads the page named by
// MOSTRADOR_TEST_URL (nothing when unset), so the tests can show a page of their own in the
// real kiosk window.
class TestStartupOperations : public MostradorStartupOperations {
public:
    using MostradorStartupOperations::MostradorStartupOperations;

    bool consultarDatosUsuario(MostradorState &state) override;
    bool guardarInformacionUsuario(int tipoConexion, MostradorState &state) override;
    void conectarAplicacionWeb(int tipoConexion, MostradorState &state, MainFrame &frame) override;
};
