#include "mostradorstartupoperations.h"

#include "addressbook.h"
#include "connectionprobe.h"
#include "consultardatosusuario.h"
#include "mostradorcaption.h"
#include "qtconfigurationdialogs.h"
#include "qtconfigurationwindow.h"
#include "qtprinterlist.h"
#include "registrykey.h"
#include "terminalenrolment.h"
#include "tthreadmostradorip.h"
#include "versioncheck.h"
#include "weblogin.h"

MostradorStartupOperations::MostradorStartupOperations(const StartupContext &context) : m_context(context) {}

bool MostradorStartupOperations::comprobarActualizaciones()
{
    return ::comprobarActualizaciones(m_context.dirApp, m_context.logSwitches);
}

int MostradorStartupOperations::consultarTipoConexion()
{
    return ::consultarTipoConexion(m_context.IdHTTP1, m_context.dirApp, m_context.logSwitches);
}

QString MostradorStartupOperations::nombreTipoConexion(int tipoConexion)
{
    return addressbook::nombreTipoConexion(tipoConexion);
}

void MostradorStartupOperations::lanzarHiloIp()
{
    ::lanzarHiloIp(m_context.dirApp, m_context.logSwitches);
}

bool MostradorStartupOperations::consultarDatosUsuario(MostradorState &state)
{
    return ::consultarDatosUsuario(state, platform::RegistryKey::classesRootDirectory(), m_context.logSwitches);
}

bool MostradorStartupOperations::guardarInformacionUsuario(int tipoConexion, MostradorState &state)
{
    QtPrinterList printers;
    QtConfigurationDialogs dialogs;
    QtConfigurationWindow window(m_context.dirApp, {m_context.messageBoxes, mostradorCaption(), printers, dialogs,
                                                    m_context.logSwitches});
    TerminalEnrolment enrolment(m_context, window, platform::RegistryKey::classesRootDirectory());
    return enrolment.guardarInformacionUsuario(tipoConexion, state);
}

void MostradorStartupOperations::conectarAplicacionWeb(int tipoConexion, MostradorState &state, MainFrame &frame)
{
    ::conectarAplicacionWeb(tipoConexion, state, frame, m_context.logSwitches);
}
