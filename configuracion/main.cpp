#include "configurationprogram.h"
#include "configuracionlogswitches.h"
#include "paths.h"
#include "qmessageboxes.h"
#include "qtconfigurationdialogs.h"
#include "qtprinterlist.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Configuracion"));
    QMessageBoxes messageBoxes;
    QtPrinterList printers;
    QtConfigurationDialogs dialogs;
    ConfigurationProgram program(platform::installationDirectory(),
                                 {messageBoxes, QStringLiteral("Configuración aplicación"), printers, dialogs,
                                  kConfiguracionLogSwitches});
    program.run();
    // Whatever happened, Ticketera reads the settings again and decides.
    return 0;
}
