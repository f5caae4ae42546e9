#include "terminalenrolment.h"

#include "addressbook.h"
#include "credentialskey.h"
#include "httpclient.h"
#include "logtext.h"
#include "mostradorcaption.h"
#include "mostradorstate.h"
#include "processhelpers.h"
#include "registrykey.h"
#include "startupcontext.h"
#include "storedserveraddress.h"
#include "stringcipher.h"
#include "urlencodedtext.h"
#include "zelvoraerror.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr int kReadTimeoutMs = 5000;

QString encipher(const QString &text)
{
    return encriptarSuma(text, QStringLiteral("E"), credentialskey::kCipherKey);
}

} // namespace

const QString TerminalEnrolment::kSuccessSentence = QStringLiteral("Activación realizada correctamente.");

TerminalEnrolment::TerminalEnrolment(const StartupContext &context, ConfigurationWindow &window, QString registryHive)
    : m_context(context), m_window(window), m_registryHive(std::move(registryHive))
{
}

void TerminalEnrolment::log(const QString &line) const
{
    m_context.logSwitches.logGeneral(line);
}

void TerminalEnrolment::showBox(MessageBoxes::Icon icon, const QString &text)
{
    m_context.messageBoxes.show(icon, mostradorCaption(), text);
}

bool TerminalEnrolment::guardarInformacionUsuario(int tipoConexion, MostradorState &state)
{
    log(QStringLiteral("Inicio guardar la informacion de impresion y usuario"));
    bool result = false;
    TConfigSysMostrador &config = state.configPrinter;
    if (QFileInfo::exists(m_context.dirApp + kSettingsFile))
        leerConfigSys(m_context.dirApp, kSettingsFile, config);

    log(QStringLiteral("Abrir la ventana de datos de usuario"));
    const ConfigurationWindow::Entries entries = m_window.showModal(config);
    if (entries.accepted) {
        log(QStringLiteral("Se guarda la configuracion de impresora: ") + entries.indiceImpresora);
        config.imprimirPuerto = entries.imprimirPuerto;
        if (entries.imprimirPuerto) {
            config.puerto = entries.puerto;
            config.indiceImpresora.clear();
            config.impresionSoloTexto = false;
            config.tipoPapel.clear();
            config.ficheroLogo.clear();
        } else {
            config.indiceImpresora = entries.indiceImpresora;
            config.impresionSoloTexto = entries.impresionSoloTexto;
            config.tipoPapel = QString::number(entries.tipoPapel);
            config.ficheroLogo = entries.logotipo && QFileInfo::exists(entries.ficheroLogotipo) ? entries.ficheroLogotipo
                                                                                                 : QString();
            config.puerto.clear();
        }
        config.autologin = -1; // the choice was not offered
        // Before the server is asked: the printer settings stay even when the enrolment fails.
        guardarConfigSys(m_context.dirApp, kSettingsFile, config);

        state.Usuario = entries.usuario;
        state.Contrasenya = entries.contrasenya;
        state.DD = numeroSerieVolumen(QDir::currentPath().left(1));
        log(QStringLiteral("Usuario: ") + state.Usuario);
        log(QStringLiteral("Contraseña: ") + kLogMask);
        log(QStringLiteral("HDD: ") + state.DD);

        QString url;
        const QString stored = leerIpConfig(m_context.dirApp, kSettingsFile);
        if (!stored.isEmpty()) {
            url = addressbook::urlAltaDesdeIp(addressbook::kIndice, QStringLiteral("http://"), tipoConexion, stored);
            log(QStringLiteral("Se recoge la Ip de conexion del fichero INI") + url);
        } else {
            url = addressbook::urlAltaPorDefecto(addressbook::kIndice, addressbook::kConjunto, tipoConexion);
            log(QStringLiteral("Se utiliza IP constante del Pais") + url);
        }
        log(QStringLiteral("URL activacion: ") + url);

        const QString answer = darAltaUsuario(url, state.Usuario, state.Contrasenya, state.DD);
        if (answer.left(kSuccessSentence.size()) != kSuccessSentence) {
            showBox(MessageBoxes::Icon::Error, answer);
            log(QStringLiteral("ERROR_VOLUMENHD: Respuesta de URL activacion de usuario : ") + logText(answer));
        } else {
            log(QStringLiteral("Respuesta de URL correcta"));
            log(QStringLiteral("Se guarda informacion de usuario en el registro de windows"));
            result = guardarCredenciales(entries, answer);
        }
    } else {
        if (entries.ficheroLogotipo.isEmpty() && !config.ficheroLogo.isEmpty()) {
            config.ficheroLogo.clear();
            guardarConfigSys(m_context.dirApp, kSettingsFile, config);
        }
        log(QStringLiteral("CANCELACION DE USUARIO: Usuario cancela la ventana de configuracion de Mostrador"));
    }
    log(QStringLiteral("Fin guardar la informacion de impresion y usuario"));
    return result;
}

bool TerminalEnrolment::guardarCredenciales(const ConfigurationWindow::Entries &entries, const QString &answer)
{
    bool result = false;
    platform::RegistryKey key(m_registryHive);
    try {
        if (key.openFullAccess(credentialskey::kName) != 0) {
            log(QStringLiteral("No existe clave ZVR -> se crea clave y se añaden los campos"));
            credentialskey::create(key);
            credentialskey::writeString(key, QString(), credentialskey::kDefaultText);
            credentialskey::writeString(key, credentialskey::kProtocol, credentialskey::kProtocolText);
        }
        log(QStringLiteral("Se añade el campo mu: ") + entries.usuario);
        log(QStringLiteral("Se añade el campo de mp: ") + kLogMask);
        credentialskey::writeString(key, credentialskey::kUser, encipher(entries.usuario));
        credentialskey::writeString(key, credentialskey::kPassword, encipher(entries.contrasenya));
        result = true;
        showBox(MessageBoxes::Icon::Information, answer);
        log(QStringLiteral("Respuesta de URL activacion de usuario : ") + logText(answer));
    } catch (const ZelvoraError &failure) {
        showBox(MessageBoxes::Icon::Error,
                QStringLiteral("Error al registrar usuario. Ejecute la aplicación con permisos de administrador"));
        log(QStringLiteral("Error al registrar usuario. Ejecute la aplicacion con permisos de administrador. ERROR: ") +
            failure.message());
    }
    key.close();
    return result;
}

QString TerminalEnrolment::darAltaUsuario(const QString &url, const QString &usuario, const QString &password,
                                          const QString &volumenhd)
{
    log(QStringLiteral("URL conexion volumenHD: ") + url);
    QString answer;
    const QStringList form{QStringLiteral("usuario=") + usuario, QStringLiteral("password=") + password,
                           QStringLiteral("volumenhd=") + volumenhd};
    try {
        HttpClient &client = m_context.IdHTTP1;
        client.setReadTimeout(kReadTimeoutMs);
        client.setFollowRedirects(false);
        answer = UrlEncodedText::decode(client.post(url, form));
    } catch (const ZelvoraError &failure) {
        showBox(MessageBoxes::Icon::Error, QStringLiteral("Error en la activación de usuario. ERROR: ") + failure.message());
        log(QStringLiteral("ERROR_VOLUMENHD: Error en la activación de usuario. ERROR: ") + logText(failure.message()));
        answer.clear();
    }
    return answer;
}
