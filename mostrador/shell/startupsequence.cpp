#include "startupsequence.h"

#include "mainwindowcontrols.h"
#include "messageboxes.h"
#include "mostradorcaption.h"
#include "mostradorstate.h"
#include "processhelpers.h"
#include "startupcontext.h"
#include "startupoperations.h"
#include "windowgeometry.h"
#include "zelvoraerror.h"

#include <QFileInfo>

namespace {

const QString kUpdater = QStringLiteral("Updater");

} // namespace

StartupSequence::StartupSequence(const StartupContext &context, MostradorState &state, StartupOperations &operations,
                                 MainWindowControls &window, MainFrame &frame)
    : m_context(context), m_log(context.logSwitches), m_state(state), m_operations(operations), m_window(window), m_frame(frame)
{
}

StartupSequence::Outcome StartupSequence::run()
{
    QString error;
    try {
        return runSteps();
    } catch (const ZelvoraError &e) {
        error = e.message();
    } catch (const std::exception &e) {
        error = QString::fromLocal8Bit(e.what());
    } catch (...) {
        error = QStringLiteral("Error desconocido");
    }
    m_context.messageBoxes.show(MessageBoxes::Icon::Error, mostradorCaption(), error);
    return Outcome::ShowWindow;
}

StartupSequence::Outcome StartupSequence::runSteps()
{
    m_state.DirApp = m_context.dirApp;
    m_log.logMilestone(QStringLiteral("Inicio de la aplicacion de Mostrador. Ruta instalacion Mostrador: ") + m_state.DirApp);

    m_window.applyGeometry(geometriaVentanaPrincipal(m_window.firstMonitorSize()));
    m_window.setCaption(mostradorCaption());
    m_log.logMilestone(QStringLiteral("Aplicacion a generar: ") + mostradorCaption());

    comprobarVersion();

    const int tipoConexion = m_operations.consultarTipoConexion();
    m_log.logMilestone(QStringLiteral("El tipo de conexion que se usa para la conexion a la aplicacion web sera: : ") +
                 m_operations.nombreTipoConexion(tipoConexion));

    m_log.logMilestone(QStringLiteral("Se lanza el thread para la consulta de la IP de conexion a la aplicacion web."));
    m_operations.lanzarHiloIp();

    if (!leerCredenciales(tipoConexion)) {
        m_log.logMilestone(QStringLiteral("Fin de la aplicacion de Mostrador. KO."));
        return Outcome::EndProgram;
    }
    // The same test as the web login's choice of application.
    m_log.logMilestone(m_state.configPrinter.autologin != 0
                     ? QStringLiteral("Conexion de la aplicacion web al Browser Web de Chromium: Aplicacion: Zelvora VANTO")
                     : QStringLiteral("Conexion de la aplicacion web al Browser Web de Chromium: Aplicacion: Taquilla Ormeza"));
    m_operations.conectarAplicacionWeb(tipoConexion, m_state, m_frame);
    m_log.logMilestone(QStringLiteral("Fin de la aplicacion de Mostrador. OK."));
    return Outcome::ShowWindow;
}

void StartupSequence::comprobarVersion()
{
    if (!m_operations.comprobarActualizaciones()) {
        m_log.logMilestone(QStringLiteral("No existe ninguna actualizacion de Mostrador."));
        return;
    }
    m_log.logMilestone(QStringLiteral("Existe actualizacion de la aplicacion de Mostrador."));
    const QString updater = m_state.DirApp + kUpdater;
    if (QFileInfo::exists(updater)) {
        m_log.logMilestone(QStringLiteral("Se lanza la aplicacion de actualizacion: ") + kUpdater);
        // Its exit code tells nothing.
        ejecutarComoAdministrador(updater, m_context.windows, [this](const QString &line) { m_log.logMilestone(line); });
    }
}

bool StartupSequence::leerCredenciales(int tipoConexion)
{
    if (m_operations.consultarDatosUsuario(m_state)) {
        m_log.logMilestone(QStringLiteral("Existe configuracion de usuario en el sistema. Se leera la configuracion de la aplicacion"));
        if (QFileInfo::exists(m_state.DirApp + kSettingsFile))
            leerConfigSys(m_state.DirApp, kSettingsFile, m_state.configPrinter);
        else
            m_state.configPrinter.autologin = -1;
        m_log.logGeneral(QStringLiteral("Configuracion de Autologin: ") + QString::number(m_state.configPrinter.autologin));
        return true;
    }
    m_log.logMilestone(QStringLiteral("No existe configuracion de usuario en el sistema. Se procedera a visualizar la ventana de configuracion de usuario"));
    return m_operations.guardarInformacionUsuario(tipoConexion, m_state);
}
