#pragma once

#include <QStringList>

// The system's printers in their order, a printer's position counted from 0, each under the
// name the system shows for it.
class PrinterList {
public:
    virtual ~PrinterList() = default;
    virtual QStringList printerNames() = 0;
};
