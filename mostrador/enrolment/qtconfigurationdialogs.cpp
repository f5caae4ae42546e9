#include "qtconfigurationdialogs.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

const QString QtConfigurationDialogs::kPictureFilter =
    QStringLiteral("All (*.jpg *.jpeg *.png *.bmp);;JPEG Image File (*.jpg);;JPEG Image File (*.jpeg);;"
                   "PNG Image File (*.png);;Bitmaps (*.bmp)");

std::optional<int> QtConfigurationDialogs::printerSetup(QWidget *parent)
{
    QPrinter printer;
    QPrintDialog dialog(&printer, parent);
    // Configuracion runs as root, in the kiosk session without an administrator's password: its
    // dialogs must not write, rename or remove files. Printing to a file has its own file dialog.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return int(QPrinterInfo::availablePrinterNames().indexOf(printer.printerName()));
}

QString QtConfigurationDialogs::openPicture(QWidget *parent)
{
    // Read-only: no renaming, removing or new folders from the dialog (see printerSetup).
    return QFileDialog::getOpenFileName(parent, QString(), QString(), kPictureFilter, nullptr, QFileDialog::ReadOnly);
}
