#pragma once

#include "configsys.h"

#include <QString>

// The configuration window as the enrolment sees it: shown once, modally, then read.
class ConfigurationWindow {
public:
    // The window's controls once it has closed.
    struct Entries {
        bool accepted = false;      // closed through a successful confirmation
        QString usuario;            // EdtUsu
        QString contrasenya;        // EdtCon
        bool imprimirPuerto = false; // RBPuerto selected
        QString puerto;             // EPuerto
        QString indiceImpresora;    // EdtIndice
        bool impresionSoloTexto = false;
        int tipoPapel = 0;          // entry number of CBOPapel
        bool logotipo = false;      // CBFicheroLogotipo ticked
        QString ficheroLogotipo;    // EFicheroLogotipo
    };

    virtual ~ConfigurationWindow() = default;
    // Creates the window without the autologin choice over the settings read from the settings
    // file, shows it until it closes, frees it and returns what it held.
    virtual Entries showModal(const TConfigSysMostrador &configPrinter) = 0;
};
