#pragma once

#include <QString>

class MainFrame;
struct MostradorState;

// The operations of the start-up sequence that belong to the server link, the enrolment and
// the web login. Any of them may raise an exception, which ends the sequence.
class StartupOperations {
public:
    virtual ~StartupOperations() = default;

    // True when the server offers a newer version.
    virtual bool comprobarActualizaciones() = 0;
    // 0 domain without "www.", 1 domain with "www.", 2 IP address.
    virtual int consultarTipoConexion() = 0;
    virtual QString nombreTipoConexion(int tipoConexion) = 0;
    // Starts the address refresh thread and returns at once.
    virtual void lanzarHiloIp() = 0;
    // True when stored credentials were found; they are then in `state`.
    virtual bool consultarDatosUsuario(MostradorState &state) = 0;
    // Enrols the terminal; true when enrolled and the credentials stored in `state`.
    virtual bool guardarInformacionUsuario(int tipoConexion, MostradorState &state) = 0;
    // Hands the login request to the browser.
    virtual void conectarAplicacionWeb(int tipoConexion, MostradorState &state, MainFrame &frame) = 0;
};
