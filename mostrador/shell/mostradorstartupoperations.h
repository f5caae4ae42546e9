#pragma once

#include "startupcontext.h"
#include "startupoperations.h"

// The start-up operations of the product.
class MostradorStartupOperations : public StartupOperations {
public:
    explicit MostradorStartupOperations(const StartupContext &context);

    bool comprobarActualizaciones() override;
    int consultarTipoConexion() override;
    QString nombreTipoConexion(int tipoConexion) override;
    void lanzarHiloIp() override;
    bool consultarDatosUsuario(MostradorState &state) override;
    bool guardarInformacionUsuario(int tipoConexion, MostradorState &state) override;
    void conectarAplicacionWeb(int tipoConexion, MostradorState &state, MainFrame &frame) override;

protected:
    const StartupContext &m_context;
};
