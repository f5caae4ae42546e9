#pragma once

#include "configsys.h"

#include <QString>

// Program-wide state of the kiosk client, owned by its main window for the whole run.
struct MostradorState {
    QString DirApp;                     // installation directory, ending in "/"
    TConfigSysMostrador configPrinter;  // the printer and autologin settings
    QString Usuario;                    // user name
    QString Contrasenya;                // password, in clear
    QString DD;                         // disk volume serial, 8 upper-case hex digits
    QString firma;                      // login signature
};
