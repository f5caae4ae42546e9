#include "startupsequence.h"

#include "escribirlog.h"
#include "mainwindowcontrols.h"
#include "messageboxes.h"
#include "mostradorstate.h"
#include "processhelpers.h"
#include "startupoperations.h"
#include "windowgeometry.h"
#include "zelvoraerror.h"

#include <QFileInfo>

namespace {

const QString kSettingsFile = QStringLiteral("Ticketera.ini");
const QString kUpdater = QStringLiteral("Updater");

} // namespace

StartupSequence::StartupSequence(QString dirApp, MostradorState &state, StartupOperations &operations, MainWindowControls &window,
                                 MainFrame &frame, MessageBoxes &messageBoxes, ApplicationWindows *windows,
                                 MostradorLogSwitches logSwitches)
    : m_dirApp(std::move(dirApp)), m_state(state), m_operations(operations), m_window(window), m_frame(frame), m_messageBoxes(messageBoxes),
      m_windows(windows), m_logSwitches(logSwitches)
{
}

QString StartupSequence::caption()
{
    return QStringLiteral("Zelvora Mostrador");
}

void StartupSequence::logGeneral(const QString &message) const
{
    if (m_logSwitches.general)
        escribirLog(message);
}

void StartupSequence::logMilestone(const QString &message) const
{
    if (m_logSwitches.milestone)
        escribirLog(message);
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
    m_messageBoxes.show(MessageBoxes::Icon::Error, caption(), error);
    return Outcome::ShowWindow;
}

StartupSequence::Outcome StartupSequence::runSteps()
{
    m_state.DirApp = m_dirApp;
    logMilestone(QStringLiteral("Inicio de la aplicacion de Mostrador. Ruta instalacion Mostrador: ") + m_state.DirApp);

    m_window.applyGeometry(geometriaVentanaPrincipal(m_window.firstMonitorSize()));
    m_window.setCaption(caption());
    logMilestone(QStringLiteral("Aplicacion a generar: ") + caption());

    comprobarVersion();

    const int tipoConexion = m_operations.consultarTipoConexion();
    logMilestone(QStringLiteral("El tipo de conexion que se usa para la conexion a la aplicacion web sera: : ") +
                 m_operations.nombreTipoConexion(tipoConexion));

    logMilestone(QStringLiteral("Se lanza el thread para la consulta de la IP de conexion a la aplicacion web."));
    m_operations.lanzarHiloIp();

    if (!leerCredenciales(tipoConexion)) {
        logMilestone(QStringLiteral("Fin de la aplicacion de Mostrador. KO."));
        return Outcome::EndProgram;
    }
    // The same test as the web login's choice of application.
    logMilestone(m_state.configPrinter.autologin != 0
                     ? QStringLiteral("Conexion de la aplicacion web al Browser Web de Chromium: Aplicacion: Zelvora VANTO")
                     : QStringLiteral("Conexion de la aplicacion web al Browser Web de Chromium: Aplicacion: Taquilla Ormeza"));
    m_operations.conectarAplicacionWeb(tipoConexion, m_state, m_frame);
    logMilestone(QStringLiteral("Fin de la aplicacion de Mostrador. OK."));
    return Outcome::ShowWindow;
}

void StartupSequence::comprobarVersion()
{
    if (!m_operations.comprobarActualizaciones()) {
        logMilestone(QStringLiteral("No existe ninguna actualizacion de Mostrador."));
        return;
    }
    logMilestone(QStringLiteral("Existe actualizacion de la aplicacion de Mostrador."));
    const QString updater = m_state.DirApp + kUpdater;
    if (QFileInfo::exists(updater)) {
        logMilestone(QStringLiteral("Se lanza la aplicacion de actualizacion: ") + kUpdater);
        ejecutarComoAdministrador(updater, m_windows); // its exit code tells nothing
    }
}

bool StartupSequence::leerCredenciales(int tipoConexion)
{
    if (m_operations.consultarDatosUsuario(m_state)) {
        logMilestone(QStringLiteral("Existe configuracion de usuario en el sistema. Se leera la configuracion de la aplicacion"));
        if (QFileInfo::exists(m_state.DirApp + kSettingsFile))
            leerConfigSys(m_state.DirApp, kSettingsFile, m_state.configPrinter);
        else
            m_state.configPrinter.autologin = -1;
        logGeneral(QStringLiteral("Configuracion de Autologin: ") + QString::number(m_state.configPrinter.autologin));
        return true;
    }
    logMilestone(QStringLiteral("No existe configuracion de usuario en el sistema. Se procedera a visualizar la ventana de configuracion de usuario"));
    return m_operations.guardarInformacionUsuario(tipoConexion, m_state);
}
