#include "qtprinterlist.h"

#include <QPrinterInfo>

QStringList QtPrinterList::printerNames()
{
    QStringList names;
    for (const QPrinterInfo &printer : QPrinterInfo::availablePrinters())
        names << (printer.description().isEmpty() ? printer.printerName() : printer.description());
    return names;
}
