#pragma once

#include <QString>

// The ticket printer settings, as Ticketera reads them from the settings file.
struct TConfigSys {
    QString indiceImpresora;         // position in the system's printer list, "" for a port
    bool impresionSoloTexto = false; // the printer is a text-only printer
    QString tipoPapel;               // "0" paper of 5 cm, "1" paper of 7 cm
    QString ficheroLogo;             // the customer's logo, "" for none
    bool imprimirPuerto = false;     // print raw to a port instead
    QString puerto;                  // port name (COM1, LPT1, ...)
};

// The settings file both programs share, beside them.
inline const QString kSettingsFile = QStringLiteral("Ticketera.ini");

// Mostrador's record adds the autologin choice of section "CONNECTION".
struct TConfigSysMostrador : TConfigSys {
    int autologin = 0; // -1 no choice stored, 0 off, 1 on
};

// Reads the six printer keys; the record's values on entry are the defaults.
void leerConfigSys(const QString &directory, const QString &fileName, TConfigSys &config);
// Reads "AUTOL" (default -1), then the printer keys.
void leerConfigSys(const QString &directory, const QString &fileName, TConfigSysMostrador &config);
// Writes all six printer keys; raises SettingsWriteError at the first key the system refuses.
void guardarConfigSys(const QString &directory, const QString &fileName, const TConfigSys &config);
// Writes the printer keys, then "AUTOL" unless it is -1.
void guardarConfigSys(const QString &directory, const QString &fileName, const TConfigSysMostrador &config);
