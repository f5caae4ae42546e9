#pragma once

#include "configurationdialogs.h"
#include "configurationwindow.h"
#include "printerlist.h"

#include <QStringList>
#include <optional>
#include <stdexcept>

// What the configuration window and the enrolment reach outside themselves, as a test scripts it.

class ScriptedPrinters : public PrinterList {
public:
    QStringList names{QStringLiteral("Primera"), QStringLiteral("Segunda"), QStringLiteral("Generic / Text Only")};
    bool fail = false;
    QStringList printerNames() override
    {
        if (fail)
            throw std::runtime_error("CUPS no responde");
        return names;
    }
};

class ScriptedDialogs : public ConfigurationDialogs {
public:
    std::optional<int> printer;
    QString picture;
    std::optional<int> printerSetup(QWidget *) override { return printer; }
    QString openPicture(QWidget *) override { return picture; }
};

// The window closes at once with the entries given; it keeps the settings it was shown.
class ScriptedConfigurationWindow : public ConfigurationWindow {
public:
    Entries entries;
    std::optional<TConfigSysMostrador> shownWith;
    Entries showModal(const TConfigSysMostrador &configPrinter) override
    {
        shownWith = configPrinter;
        return entries;
    }
};
