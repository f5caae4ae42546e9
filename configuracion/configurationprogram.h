#pragma once

#include "tfrmususel.h"

#include <QString>

// The configuration program that Ticketera starts, as root, when its settings are unusable: the
// configuration window over the settings file beside the program, with the autologin choice and
// without the credentials. OK saves the ticket printer settings and the autologin choice to that
// file; there is no enrolment and nothing goes to the registry.
class ConfigurationProgram {
public:
    ConfigurationProgram(QString dirApp, TFrmUsuSel::World world);

    // Shows the window until it closes; true when the settings were saved.
    bool run();

private:
    TConfigSysMostrador fromWindow(const TFrmUsuSel &window) const;
    bool save(const TConfigSysMostrador &config);

    QString m_dirApp;
    TFrmUsuSel::World m_world;
};
