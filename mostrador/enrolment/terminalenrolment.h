#pragma once

#include "configurationwindow.h"
#include "messageboxes.h"

#include <QString>

struct MostradorState;
struct StartupContext;

// The enrolment of a terminal without stored credentials: the configuration window, the printer
// settings saved, the server asked through the main window's client, and the credentials stored
// enciphered in the key "ZVR" of the registry hive in `registryHive`.
class TerminalEnrolment {
public:
    TerminalEnrolment(const StartupContext &context, ConfigurationWindow &window, QString registryHive);

    // True when the server accepted the terminal and the credentials were stored: `state` then
    // holds them. Raises SettingsWriteError, before anything is sent, when the settings file
    // cannot be written.
    bool guardarInformacionUsuario(int tipoConexion, MostradorState &state);
    // The server's answer decoded, or "" after a failure, which has been shown in a box.
    QString darAltaUsuario(const QString &url, const QString &usuario, const QString &password,
                           const QString &volumenhd);

    static const QString kSuccessSentence;

private:
    bool guardarCredenciales(const ConfigurationWindow::Entries &entries, const QString &answer);
    void showBox(MessageBoxes::Icon icon, const QString &text);
    void log(const QString &line) const;

    const StartupContext &m_context;
    ConfigurationWindow &m_window;
    QString m_registryHive;
};
