#pragma once

#include <QString>
#include <optional>

class QWidget;

// The system dialogs of the configuration window.
class ConfigurationDialogs {
public:
    virtual ~ConfigurationDialogs() = default;
    // The printer setup dialog: the position of the chosen printer in the printer list (-1 when it
    // is not there), nothing when the user cancels.
    virtual std::optional<int> printerSetup(QWidget *parent) = 0;
    // The picture dialog: the full path of the chosen file, "" when the user cancels.
    virtual QString openPicture(QWidget *parent) = 0;
};
