#include "configurationprogram.h"

#include "configsys.h"
#include "fileownershipkeeper.h"
#include "zelvoraerror.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>

namespace {

const QString kLogoFile = QStringLiteral("logo.bmp");

} // namespace

ConfigurationProgram::ConfigurationProgram(QString dirApp, TFrmUsuSel::World world)
    : m_dirApp(std::move(dirApp)), m_world(std::move(world))
{
}

bool ConfigurationProgram::run()
{
    const MostradorLogSwitches &log = m_world.logSwitches;
    log.logMilestone(QStringLiteral("Inicio de la aplicacion de configuracion"));
    // Run as root: the window may remove the logo, which the terminal's users must be able to
    // write again afterwards.
    const platform::FileOwnershipKeeper kept({m_dirApp + kSettingsFile, m_dirApp + kLogoFile});

    TConfigSysMostrador config;
    if (QFileInfo::exists(m_dirApp + kSettingsFile))
        leerConfigSys(m_dirApp, kSettingsFile, config);
    TFrmUsuSel window(m_dirApp, config, m_world);
    window.mostrarAutologin = true;
    window.mostrarCredenciales = false;
    const bool accepted = window.exec() == QDialog::Accepted;

    bool saved = false;
    if (accepted) {
        const TConfigSysMostrador chosen = fromWindow(window);
        log.logGeneral(QStringLiteral("Se guarda la configuracion de impresora: ") + window.EdtIndice->text());
        log.logGeneral(QStringLiteral("Configuracion de Autologin: ") + QString::number(chosen.autologin));
        saved = save(chosen);
    } else {
        // As the enrolment does: a logo the window removed is not left named in the settings.
        if (window.EFicheroLogotipo->text().isEmpty() && !config.ficheroLogo.isEmpty()) {
            config.ficheroLogo.clear();
            config.autologin = -1;
            save(config);
        }
        log.logMilestone(QStringLiteral("CANCELACION DE USUARIO: Usuario cancela la ventana de configuracion"));
    }
    log.logMilestone(QStringLiteral("Fin de la aplicacion de configuracion"));
    return saved;
}

TConfigSysMostrador ConfigurationProgram::fromWindow(const TFrmUsuSel &window) const
{
    TConfigSysMostrador config;
    config.imprimirPuerto = window.RBPuerto->isChecked();
    if (config.imprimirPuerto) {
        config.puerto = window.EPuerto->text();
    } else {
        config.indiceImpresora = window.EdtIndice->text();
        config.impresionSoloTexto = window.impresionSoloTexto;
        config.tipoPapel = QString::number(window.CBOPapel->currentIndex());
        const QString logo = window.EFicheroLogotipo->text();
        if (window.CBFicheroLogotipo->isChecked() && QFileInfo::exists(logo))
            config.ficheroLogo = logo;
    }
    config.autologin = window.CBAutologin->isChecked() ? 1 : 0;
    return config;
}

bool ConfigurationProgram::save(const TConfigSysMostrador &config)
{
    try {
        guardarConfigSys(m_dirApp, kSettingsFile, config);
        return true;
    } catch (const ZelvoraError &failure) {
        m_world.logSwitches.logMilestone(QStringLiteral("ERROR: ") + failure.message());
        m_world.messageBoxes.show(MessageBoxes::Icon::Error, m_world.messageCaption, failure.message());
        return false;
    }
}
