#pragma once

#include "printerlist.h"

// The CUPS queues as Qt Print Support lists them, each named by its description when it has one.
class QtPrinterList : public PrinterList {
public:
    QStringList printerNames() override;
};
