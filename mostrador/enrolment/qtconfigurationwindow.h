#pragma once

#include "configurationwindow.h"
#include "tfrmususel.h"

// The enrolment's configuration window: a TFrmUsuSel of its own for each showing.
class QtConfigurationWindow : public ConfigurationWindow {
public:
    QtConfigurationWindow(QString dirApp, TFrmUsuSel::World world);

    Entries showModal(const TConfigSysMostrador &configPrinter) override;

private:
    QString m_dirApp;
    TFrmUsuSel::World m_world;
};
