#pragma once

#include "mostradorstartupoperations.h"

// The product's start-up operations; before the web login, the browser control gets a page of the
// product's own kind whose launcher prints on standard output, in nanoseconds of the system
// clock, when the page handed a print link over and when the desktop's handler was started, and
// then what the page saw of the click: the input event's time, the moment the watcher's turn came.
class HandOffTimingOperations : public MostradorStartupOperations {
public:
    using MostradorStartupOperations::MostradorStartupOperations;

    void conectarAplicacionWeb(int tipoConexion, MostradorState &state, MainFrame &frame) override;
};
