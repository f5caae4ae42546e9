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
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return int(QPrinterInfo::availablePrinterNames().indexOf(printer.printerName()));
}

QString QtConfigurationDialogs::openPicture(QWidget *parent)
{
    return QFileDialog::getOpenFileName(parent, QString(), QString(), kPictureFilter);
}
