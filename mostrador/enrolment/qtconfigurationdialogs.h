#pragma once

#include "configurationdialogs.h"

// Qt's print dialog over CUPS and Qt's file dialog.
class QtConfigurationDialogs : public ConfigurationDialogs {
public:
    std::optional<int> printerSetup(QWidget *parent) override;
    QString openPicture(QWidget *parent) override;

    static const QString kPictureFilter;
};
