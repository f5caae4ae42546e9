#pragma once

#include "mostradorstartupoperations.h"

// The product's start-up operations; the web login prints "handed" on standard output the moment
// it has handed its request to the browser.
class HandOverTimingOperations : public MostradorStartupOperations {
public:
    using MostradorStartupOperations::MostradorStartupOperations;

    void conectarAplicacionWeb(int tipoConexion, MostradorState &state, MainFrame &frame) override;
};
